#pragma once
// The gallery's pages: each shows a family of controls with captions naming them.

#include "vell/view.h"

#include <functional>
#include <memory>
#include <string>

namespace vell {
class Engine;
}

namespace gallery {

// What the pages need from the application: the engine (theme, shell) and
// somewhere to read the running time for animated demos.
struct GalleryContext {
    vell::Engine* engine = nullptr;
};

vell::ViewPtr controlsView(GalleryContext& g);
vell::ViewPtr progressView(GalleryContext& g);
vell::ViewPtr listView(GalleryContext& g);
vell::ViewPtr shellView(GalleryContext& g);

} // namespace gallery
