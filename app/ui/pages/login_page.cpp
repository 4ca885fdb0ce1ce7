#include "app/ui/pages/login_page.h"

#include "app/net/credentials.h"
#include "app/ui/cache_owner.h"
#include "app/ui/nav.h"
#include "app/ui/services.h"
#include "app/ui/utf8_edit.h"
#include "vell/box.h"
#include "vell/scroll_view.h"
#include "vell/color_ref.h"
#include "vell/engine.h"
#include "vell/spacer.h"

#include <cstdlib>

namespace cad {
namespace {

constexpr int32_t kSyncIcon = 0xE627;
constexpr const char* kExampleAddress = "https://music.example.com";

// A value the launcher may hand over (`make run` fills the page in for the demo
// server through SONARIA_LOGIN_URL, _USER and _PASSWORD); `fallback` otherwise.
std::string launcherValue(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

std::shared_ptr<vell::Box> row(float gap)
{
    auto r = vell::box();
    r->style().direction = vell::Direction::Row;
    r->style().align = vell::Align::Center;
    r->style().gap = gap;
    return r;
}

} // namespace

std::string serverAddress(std::string_view typed)
{
    std::string url(utf8::trimmed(typed));
    if (url.empty())
        return url;
    if (url.find("://") == std::string::npos)
        url = "http://" + url;
    while (url.back() == '/')
        url.pop_back();
    return url;
}

LoginPage::LoginPage()
    : Page("Connect", false)
{
    const Store& store = services().store;
    urlField = textField(kExampleAddress, launcherValue("SONARIA_LOGIN_URL", store.url));
    userField = textField("Username", launcherValue("SONARIA_LOGIN_USER", store.user));
    passwordField = textField("Password", launcherValue("SONARIA_LOGIN_PASSWORD", {}));
    passwordField->password = true;

    insecureBox = vell::checkbox(store.insecure);
    auto insecureRow = row(10)->add({ insecureBox, vell::label("Allow self-signed certificate", "caption") });

    status = vell::label("");
    status->style().color = vell::colorToken("onSurfaceVariant");

    progress = vell::circularProgress();
    progress->indeterminate = true;
    progress->diameter = 28;
    progress->thickness = 3;
    progress->style().width = vell::SizeSpec::fixed(28);
    progress->style().height = vell::SizeSpec::fixed(28);
    progress->visible = false;

    connectButton = vell::button("Connect", kSyncIcon);
    if (!connectButton->children.empty())
        connectButton->children.front()->style().textSize = 22;
    auto title = vell::label("Sonaria", "hero-title");
    title->style().color = vell::colorToken("primary");

    auto card = vell::box("card");
    card->style().direction = vell::Direction::Column;
    card->style().width = vell::SizeSpec::fixed(540);
    card->style().padding = vell::uniformEdges(30);
    card->style().gap = 14;
    card->add({ title, vell::label("Connect to your Navidrome server", "caption"), vell::spacer(4), urlField,
        userField, passwordField, insecureRow, status, row(12)->add({ connectButton, progress }) });

    // Centred while it fits; on a short screen the card scrolls.
    auto scroller = vell::scrollView();
    scroller->style().width = vell::SizeSpec::fill();
    scroller->style().height = vell::SizeSpec::fill();
    scroller->style().align = vell::Align::Center;
    scroller->style().justify = vell::Justify::Center;
    scroller->add(card);
    root->style().align = vell::Align::Center;
    root->style().justify = vell::Justify::Center;
    root->add(scroller);
}

void LoginPage::start()
{
    // Handlers hold the page weakly: the view owns the page, the page its widgets.
    std::weak_ptr<Page> weak = weakSelf();
    auto page = [weak] { return std::static_pointer_cast<LoginPage>(weak.lock()); };
    urlField->onSubmit = [page](const std::string&) {
        if (auto p = page())
            p->editNext(*p->userField);
    };
    userField->onSubmit = [page](const std::string&) {
        if (auto p = page())
            p->editNext(*p->passwordField);
    };
    passwordField->onSubmit = [page](const std::string&) {
        if (auto p = page())
            p->connect();
    };

    connectButton->onClick = [page] {
        if (auto p = page())
            p->connect();
    };
}

void LoginPage::tick(float)
{
    // Shown filled in completely: Connect gets the focus, so Return signs in at once.
    if (m_ticked)
        return;
    m_ticked = true;
    if (urlField->text.empty() || userField->text.empty() || passwordField->text.empty())
        return;
    if (vell::Engine* engine = services().engine)
        engine->setFocus(connectButton.get());
}

void LoginPage::setStatus(const std::string& text, const char* colorToken)
{
    status->setText(text);
    status->style().color = vell::colorToken(colorToken);
}

void LoginPage::setBusy(bool on)
{
    busy = on;
    progress->visible = on;
}

void LoginPage::editNext(TextField& field)
{
    vell::Engine* engine = services().engine;
    if (!engine)
        return;
    engine->setFocus(&field);
    field.beginEdit(engine->context());
}

void LoginPage::connect()
{
    if (busy)
        return;
    const std::string url = serverAddress(urlField->text);
    const std::string user(utf8::trimmed(userField->text));
    const std::string& password = passwordField->text;
    if (url.empty() || user.empty() || password.empty()) {
        setStatus("Enter the server address, username and password.", "error");
        progress->visible = false;
        return;
    }
    setBusy(true);
    setStatus("Connecting...", "onSurfaceVariant");

    const std::string salt = makeSalt();
    const std::string token = makeToken(password, salt);
    const bool insecure = insecureBox->checked;
    Services& s = services();
    s.net.insecure = insecure;
    s.subsonic.configure({ url, user, salt, token });

    std::weak_ptr<Page> weak = weakSelf();
    s.subsonic.ping([weak, url, user, salt, token, insecure](bool ok, const std::string& error) {
        auto page = std::static_pointer_cast<LoginPage>(weak.lock());
        if (!page)
            return;
        Services& s = services();
        if (!ok) {
            s.subsonic.configure({});
            page->setStatus("Connection failed: " + error, "error");
            page->setBusy(false);
            return;
        }
        claimCaches(url, user);
        s.store.url = url;
        s.store.user = user;
        s.store.salt = salt;
        s.store.token = token;
        s.store.insecure = insecure;
        s.store.save();
        page->passwordField->setText({});
        page->setBusy(false);
        if (auto& signedIn = nav().signedIn)
            signedIn();
    });
}

} // namespace cad
