#pragma once
// Hooks a handheld platform layer fills; on a desktop they do nothing and no
// text-entry dialog exists, so text fields use SDL text input.

#include <string>

namespace cad::platform {

// The very first call of the program, and the very last one before it returns.
void start();
void end();
// Once per frame from the controller's frame hook.
void frame();

// The platform's own text-entry dialog (an on-screen keyboard).
bool hasTextDialog();
// Opens it; false when it could not be opened.
bool openTextDialog(const std::string& title, const std::string& text, bool password, int maxLength);
enum class DialogResult { None, Accepted, Cancelled };
// Polled each frame while open; on Accepted `text` holds the entered text.
DialogResult pollTextDialog(std::string& text);
void closeTextDialog();

} // namespace cad::platform
