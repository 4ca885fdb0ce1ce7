#pragma once
// cad::ListPage — the scheme shared by the artists and playlists pages: "You're
// offline" without a request when offline, else "Loading" (on the first load; a
// shown list stays while it reloads), then one row per record, "No ..." for none,
// or the error with Retry. Reloads keep the scroll offset and the focused row.

#include "app/ui/page_state.h"
#include "app/ui/widgets/row_list.h"
#include "app/ui/server_page.h"
#include "app/ui/services.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cad {

template <class Record>
class ListPage : public ServerPage {
public:
    using Records = std::shared_ptr<std::vector<Record>>;
    using Done = std::function<void(bool ok, const std::vector<Record>& records, const std::string& error)>;

    struct Texts {
        int32_t emptyGlyph;
        const char* emptyText;
        const char* errorPrefix;
    };

    ListPage(const std::string& title, Texts texts, float rowHeight)
        : ServerPage(title, true, RefreshRule::OnlineChanged)
        , rows(rowHeight)
        , m_texts(texts)
    {
        content = stateBox();
        content->style().padding = vell::symmetricEdges(12, 4);
        root->add(content);
    }

    Records items = std::make_shared<std::vector<Record>>();
    RowList rows;
    std::shared_ptr<vell::Widget> content;

protected:
    // The endpoint call of the page.
    virtual void request(Done done) = 0;

    void load() override
    {
        if (!services().online) {
            showMessage(*content, 0xE2C1, "You're offline");
            return;
        }
        if (rows.list->parent != content.get())
            showCaption(*content, "Loading");
        std::weak_ptr<Page> weak = weakSelf();
        request([weak](bool ok, const std::vector<Record>& records, const std::string& error) {
            if (auto page = std::static_pointer_cast<ListPage>(weak.lock()))
                page->received(ok, records, error);
        });
    }

private:
    void received(bool ok, const std::vector<Record>& records, const std::string& error)
    {
        if (!ok) {
            std::weak_ptr<Page> weak = weakSelf();
            showError(*content, m_texts.errorPrefix + error, [weak] {
                if (auto page = weak.lock())
                    page->refresh();
            });
            return;
        }
        *items = records;
        if (items->empty()) {
            showMessage(*content, m_texts.emptyGlyph, m_texts.emptyText);
            return;
        }
        rows.show(*content, int(items->size()));
    }

    Texts m_texts;
};

} // namespace cad
