#pragma once
// What a widget tree says, for tests that read pages the way a user would.
#include "vell/label.h"

#include <functional>
#include <string>

namespace ui_testing {

// Every visible text of a subtree, in tree order, joined by "|".
inline std::string texts(const vell::Widget& root)
{
    std::string out;
    std::function<void(const vell::Widget&)> walk = [&](const vell::Widget& w) {
        if (!w.visible)
            return;
        if (auto label = dynamic_cast<const vell::Label*>(&w); label && !label->text().empty())
            out += label->text() + "|";
        for (const auto& child : w.children)
            walk(*child);
    };
    walk(root);
    return out;
}

inline bool contains(const std::string& haystack, const std::string& needle)
{
    return haystack.find(needle) != std::string::npos;
}

} // namespace ui_testing
