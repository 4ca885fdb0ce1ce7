#pragma once
// cad::ArtistsPage — the "Artists" navigation page: every artist of the server,
// one row each; a row opens the artist's page. Reloads on show after an
// online/offline change.

#include "app/ui/list_page.h"

namespace cad {

class ArtistsPage : public ListPage<Artist> {
public:
    ArtistsPage();

protected:
    void request(Done done) override;
};

} // namespace cad
