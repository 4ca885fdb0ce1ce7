#include "app/core/platform_hooks.h"

namespace cad::platform {

void start() {}
void end() {}
void frame() {}

bool hasTextDialog() { return false; }

bool openTextDialog(const std::string&, const std::string&, bool, int) { return false; }

DialogResult pollTextDialog(std::string&) { return DialogResult::None; }

void closeTextDialog() {}

} // namespace cad::platform
