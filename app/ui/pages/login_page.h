#pragma once
// cad::LoginPage ("Connect") — asks for the server address, user name and
// password, turns the password into a fresh salt and token, checks them with a
// ping and, on success, stores them (never the password) and calls the
// controller's signedIn hook. Return walks from field to field; Return in the
// password field connects.

#include "app/ui/page.h"
#include "app/ui/widgets/text_field.h"
#include "vell/button.h"
#include "vell/checkbox.h"
#include "vell/circular_progress.h"
#include "vell/label.h"

#include <string>
#include <string_view>

namespace cad {

class LoginPage : public Page {
public:
    LoginPage();
    // Wires the fields and the button to the page (weakly: the view owns the page).
    void start() override;
    // On the first frame, focuses the Connect button when every field is filled in.
    void tick(float seconds) override;

    // One connection attempt; ignored while one is under way.
    void connect();

    std::shared_ptr<TextField> urlField;
    std::shared_ptr<TextField> userField;
    std::shared_ptr<TextField> passwordField;
    std::shared_ptr<vell::Checkbox> insecureBox;
    std::shared_ptr<vell::Label> status;
    std::shared_ptr<vell::CircularProgress> progress;
    std::shared_ptr<vell::Button> connectButton;
    bool busy = false;

private:
    bool m_ticked = false;
    void setStatus(const std::string& text, const char* colorToken);
    void setBusy(bool on);
    // Moves the focus to `field` and begins editing it.
    void editNext(TextField& field);
};

// The address the user typed, as used: trimmed of blanks, "http://" in front
// when no scheme is given, trailing slashes removed.
std::string serverAddress(std::string_view typed);

} // namespace cad
