#pragma once
// Opening a detail page on top of the current one (album, playlist, artist).

#include "app/ui/page.h"
#include "vell/shell.h"

namespace cad {

// Presents the page, pushes its view on the shell's stack, shows it going forward
// and hands focus to it. Returns the view (null for a page already presented).
//
//   nav().openAlbum = [&shell](const std::string& id) {
//       pushPage(shell, std::make_shared<CollectionPage>(CollectionKind::Album, id));
//   };
vell::ViewPtr pushPage(vell::Shell& shell, const std::shared_ptr<Page>& page);

} // namespace cad
