#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vell/flex.h"
#include "vell/widget_t.h"

namespace vell {

// How much of each hint the bar shows: the button and its label, the button and
// its one-word label, or the button alone.
enum class HintForm { Full = 0, Short = 1, KeyOnly = 2 };

// One hint's width in each form, indexed by HintForm.
using HintWidths = std::array<float, 3>;

struct HintFit {
    HintForm form = HintForm::Full;
    size_t shown = 0; // the first `shown` hints are drawn, the rest left out
};

// The fullest form in which every hint fits `width` with `gap` between hints;
// when not even the buttons alone fit, as many buttons as fit, from the first
// (the first ones matter most).
HintFit fitHints(const std::vector<HintWidths>& widths, float gap, float width);

// Shows the engine's current hint list: for each hint a "hint" box with the
// button's display name ("hint-key", in the font recorded with that name) and
// what it does ("hint-label"). Rebuilds only when the context's hint counter
// changes.
class HintBar : public ContainerT<HintBar, Flex> {
public:
    static constexpr const char* kTypeName = "hintbar";

    HintBar();
    void update(UiContext& ctx, float dt) override;
    // Shortens the hints when they do not fit (fitHints), leaving out the last
    // ones only when even the buttons alone are too wide.
    void arrange(UiContext& ctx, const Rect& content) override;
    // Hints are read, not pressed: the bar never takes the pointer.
    Widget* hitTest(Point point) override;

    uint64_t builtFor() const { return m_builtFor; }
    HintForm form() const { return m_form; }

private:
    void showForm(HintForm form);

    // The full and short label of each entry, in the order of the children.
    std::vector<std::array<std::string, 2>> m_labels;
    HintForm m_form = HintForm::Full;
    uint64_t m_builtFor = UINT64_MAX;
    // The width and hint list the shown hints were last fitted to.
    float m_fittedWidth = -1;
    uint64_t m_fittedFor = UINT64_MAX;
};

std::shared_ptr<HintBar> hintBar();

} // namespace vell
