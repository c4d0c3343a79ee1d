// Form descriptions as text: the parser, the reader that builds components from the
// registry, and the writer. Bad text must raise the reader's exceptions and leave
// nothing half built; a text that reads must write back to a text that reads again
// into the same tree.
#include "support/FuzzForm.h"
#include "support/FuzzInput.h"
#include "support/Headless.h"

#include "platform/Streaming.h"

using varn::fuzz::TFuzzForm;

namespace {

bool wellFormed(const AnsiString& text)
{
    try {
        CheckComponentText(text);
        return true;
    } catch (const EParserError&) {
        return false;
    }
}

// A single value as SetPropText reads it, on properties of several kinds.
void setValues(varn::fuzz::HeadlessSession& session, const AnsiString& text)
{
    TFuzzForm* form = session.createForm<TFuzzForm>();
    for (const char* path : {"Caption", "Tag", "Color", "Font.Style", "Font.Height", "Align", "Hint"}) {
        try {
            SetPropText(form, path, text);
        } catch (const Exception&) {
            continue;
        }
        // What was set reads back as a text that sets the same value again.
        AnsiString shown = GetPropText(form, path);
        SetPropText(form, path, shown);
        FUZZ_CHECK(GetPropText(form, path) == shown);
    }
}

void readAndWrite(varn::fuzz::HeadlessSession& session, const AnsiString& text)
{
    const bool parses = wellFormed(text);
    TFuzzForm* form = session.createForm<TFuzzForm>();
    try {
        ReadComponentText(text, form);
    } catch (const EParserError& error) {
        varn::fuzz::refused(error);
        FUZZ_CHECK(!parses);
        FUZZ_CHECK(form->ComponentCount() == 0);
        return;
    } catch (const Exception& error) {
        varn::fuzz::refused(error);
        // Well-formed text naming what the registry does not know, or a bad value.
        FUZZ_CHECK(parses);
        FUZZ_CHECK(form->ComponentCount() == 0);
        return;
    }
    FUZZ_CHECK(parses);

    // The written tree reads back and writes the same text again.
    const AnsiString written = WriteComponentText(form);
    delete form;  // the copy takes the same name
    TFuzzForm* copy = session.createForm<TFuzzForm>();
    try {
        ReadComponentText(written, copy);
    } catch (const Exception& error) {
        std::fprintf(stderr, "written text does not read back: %s\n%s\n", error.what(), written.c_str());
        FUZZ_CHECK(!"written text reads back");
    }
    const AnsiString again = WriteComponentText(copy);
    if (again != written)
        std::fprintf(stderr, "first writing:\n%s\nsecond writing:\n%s\n", written.c_str(), again.c_str());
    FUZZ_CHECK(again == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    varn::fuzz::registerFuzzForm();
    const AnsiString text(reinterpret_cast<const char*>(data), size);
    varn::fuzz::HeadlessSession session;
    readAndWrite(session, text);
    setValues(session, text);
    return 0;
}
