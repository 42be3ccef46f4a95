// A whole repaint of an 842 x 544 window holding 54 standard controls on
// the headless desktop: the first show and each later full repaint, with
// "x_budget" the time over the 5 ms a repaint may take. Then a full repaint
// of windows nested into one another at growing depths, whose complexity
// shows whether each window's paint still climbs its ancestors.

#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Form.h"
#include "platform/ui/ListView.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/StdCtrls.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr double RepaintBudgetSeconds = 0.005;

// Six rows of nine controls: buttons, edits, combo boxes, list views of a
// few rows and scroll bars.
std::unique_ptr<TForm> MakeWindow()
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 842, 544);
    form->SetCaption("Repaint");
    for (int i = 0; i < 54; ++i) {
        const int column = i % 9, row = i / 9;
        const TRect cell = Bounds(8 + column * 92, 8 + row * 84, 86, row % 3 == 2 ? 76 : 23);
        TWinControl* control = nullptr;
        switch (row) {
        case 0: {
            auto* button = new TButton(form.get());
            button->SetCaption("Button " + std::to_string(i));
            control = button;
            break;
        }
        case 1: {
            auto* edit = new TEdit(form.get());
            edit->SetText("Edit " + std::to_string(i));
            control = edit;
            break;
        }
        case 2:
        case 5: {
            auto* list = new TListView(form.get());
            list->SetViewStyle(vsReport);
            list->Columns()->Add()->SetCaption("Name");
            for (int item = 0; item < 4; ++item)
                list->Items()->Add()->SetCaption("Item " + std::to_string(item));
            control = list;
            break;
        }
        case 3: {
            auto* combo = new TComboBox(form.get());
            combo->Items()->Add("Choice");
            control = combo;
            break;
        }
        default: control = new TScrollBar(form.get()); break;
        }
        control->SetBoundsRect(cell);
        control->SetParent(form.get());
    }
    return form;
}

void FirstShow(benchmark::State& state)
{
    THeadlessDesktop desktop;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<TForm> form = MakeWindow();
        state.ResumeTiming();
        form->Show();
        desktop.Pump();
        state.PauseTiming();
        form.reset();
        desktop.Pump();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstShow)->Unit(benchmark::kMillisecond);

void FullRepaint(benchmark::State& state)
{
    THeadlessDesktop desktop;
    std::unique_ptr<TForm> form = MakeWindow();
    form->Show();
    desktop.Pump();
    for (auto _ : state) {
        form->InvalidateTree();
        desktop.Pump();
    }
    // Seconds per repaint over the budget's seconds.
    state.counters["x_budget"] = benchmark::Counter(
        RepaintBudgetSeconds, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(FullRepaint)->Unit(benchmark::kMillisecond);

// Each window one pixel inside its parent and a column of it in sight.
std::unique_ptr<TForm> MakeNestedWindows(int depth)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, depth + 100, 100);
    TWinControl* parent = form.get();
    for (int i = 0; i < depth; ++i) {
        auto* panel = new TCustomControl(form.get());
        panel->SetBounds(1, 0, depth + 99 - i, 100);
        panel->SetParent(parent);
        parent = panel;
    }
    return form;
}

void NestedRepaint(benchmark::State& state)
{
    THeadlessDesktop desktop;
    std::unique_ptr<TForm> form = MakeNestedWindows(static_cast<int>(state.range(0)));
    form->Show();
    desktop.Pump();
    for (auto _ : state) {
        form->InvalidateTree();
        desktop.Pump();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(NestedRepaint)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Complexity()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
