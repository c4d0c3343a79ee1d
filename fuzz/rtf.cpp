// The RTF reader and writer: any bytes read as RTF (or as plain text) give a
// document whose runs cover the text without gaps and whose paragraph formats
// match its paragraphs; its RTF reads back to the same document; edits at any
// place, and a change of one format to another, keep it so.
#include "support/FuzzInput.h"

#include "platform/win/RichText.h"

#include <algorithm>

using namespace varn::detail;

namespace {

void checkShape(const RichDocument& document)
{
    int next = 0;
    for (size_t i = 0; i < document.runs().size(); ++i) {
        const RichRun& run = document.runs()[i];
        FUZZ_CHECK(run.start == next && run.length > 0);
        if (i > 0)
            FUZZ_CHECK(!(run.format == document.runs()[i - 1].format));
        next += run.length;
    }
    FUZZ_CHECK(next == document.length());
    const auto breaks = std::count(document.text().begin(), document.text().end(), '\r');
    FUZZ_CHECK(document.paragraphCount() == breaks + 1);
}

void checkRoundTrip(const RichDocument& document)
{
    const std::string written = writeRtf(document);
    FUZZ_CHECK(isRtf(written));
    FUZZ_CHECK(readRtf(written) == document);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    varn::fuzz::Input input(data, size);
    const bool plain = input.byte() == 'p';
    const int edits = input.range(0, 3);
    std::vector<std::pair<int, int>> places;
    std::vector<std::string> inserts;
    for (int i = 0; i < edits; ++i) {
        places.emplace_back(input.u16(), input.u16());
        inserts.push_back(input.text(8));
    }
    const int reformatAt = input.u16();
    const std::string text = input.rest();

    RichDocument document = plain ? readPlainText(text) : readRtf(text);
    checkShape(document);
    checkRoundTrip(document);
    if (plain)
        FUZZ_CHECK(readPlainText(plainText(document)).text() == document.text());

    RichCharFormat format;
    format.style = 5;
    for (int i = 0; i < edits; ++i) {
        auto [from, to] = places[static_cast<size_t>(i)];
        std::string insert = inserts[static_cast<size_t>(i)];
        // The field types no control bytes but tabs and paragraph ends.
        insert.erase(std::remove_if(insert.begin(), insert.end(),
                                    [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\r' && c != '\t'; }),
                     insert.end());
        const int before = document.length();
        document.replace(from, to, insert, format);
        const int lo = std::min(from, before), hi = std::clamp(to, lo, before);
        FUZZ_CHECK(document.length() == before - (hi - lo) + static_cast<int>(insert.size()));
        checkShape(document);
        checkShape(document.slice(to, from));
        checkShape(document.slice(from, to));
    }
    // The window's font re-formats the text in the default format.
    RichCharFormat font;
    font.face = "Arial";
    document.changeFormat(document.formatAt(reformatAt), font);
    checkShape(document);
    checkRoundTrip(document);
    return 0;
}
