// Typing at the end of a long text in a memo against typing at the end of a
// short one: each keystroke is posted as the user's, goes through the message
// loop to the edit field, which inserts it, lays out its paragraph again and
// repaints what changed. The cost must not grow with the text: the 100,000
// character memo may take at most twice the time of the 1,000 character one.
//
// Both memos are 400 x 300 pixels with word wrap, their text lines of 40 to 90
// characters; the caret is at the end of the same short last line. Every 64 keystrokes the typed characters
// are taken out again (outside the timing), so the texts keep their size. The
// repetitions are interleaved so that both see the same machine load; the ratio
// of their medians is printed last.
#include "bench/MedianReporter.h"
#include "platform/Forms.h"
#include "platform/Memo.h"
#include "platform/win/Input.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// Lines of words up to `length` characters; both sizes end in the same line, the
// one that is typed into.
AnsiString longText(size_t length)
{
    static const char* const words[] = {"cliente", "factura", "Garc\xED" "a", "pendiente", "12/03/2024", "1.234,56",
                                        "Ca\xF1\xF3n", "env\xEDo", "de", "la", "observaciones", "Madrid"};
    const AnsiString last = "\r\nObservaciones del pedido: ";
    AnsiString text;
    size_t word = 0, lineLength = 40;
    while (text.size() < length - last.size()) {
        AnsiString line;
        while (line.size() < lineLength)
            line += AnsiString(words[word++ % 12]) + " ";
        text += line + "\r\n";
        lineLength = 40 + (lineLength * 7 + 13) % 51;
    }
    text.resize(length - last.size());
    return text + last;
}

void typeAtTheEnd(benchmark::State& state)
{
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetBounds(50, 50, 420, 320);
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 400, 300);
    memo->SetText(longText(static_cast<size_t>(state.range(0))));
    form->Show();
    memo->SetFocus();
    HWND field = memo->Handle();
    auto toEnd = [&] {
        int end = GetWindowTextLength(field);
        SendMessage(field, EM_SETSEL, static_cast<WPARAM>(end), end);
        Application->ProcessMessages();
    };
    toEnd();
    int typed = 0;
    for (auto _ : state) {
        varn::inputText("x");
        Application->ProcessMessages();
        if (++typed == 64) {
            state.PauseTiming();
            int end = GetWindowTextLength(field);
            SendMessage(field, EM_SETSEL, static_cast<WPARAM>(end - typed), end);
            SendMessage(field, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
            toEnd();
            typed = 0;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
    delete form;
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark("typeAtTheEnd", typeAtTheEnd)
        ->Arg(1000)
        ->Arg(100000)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
    varn::bench::MedianReporter reporter;
    varn::bench::runInterleaved(argc, argv, reporter);

    double shortText = reporter.medians["typeAtTheEnd/1000"].second;
    double longOne = reporter.medians["typeAtTheEnd/100000"].second;
    if (shortText > 0)
        std::printf("\nmedian CPU per keystroke: 1,000 characters %.1f us, 100,000 characters %.1f us, ratio %.2f "
                    "(at most 2)\n",
                    shortText, longOne, longOne / shortText);
    return 0;
}
