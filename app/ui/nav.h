#pragma once
// cad::Nav — the hooks through which pages and services reach the controller
// (open a detail page, switch navigation entry, toast, sign in or out) without
// depending on it. One process-wide record; the controller fills it at start-up.
// Every caller checks that a slot is set, so pages work before it is filled:
//
//   if (auto& open = cad::nav().openAlbum) open(album.id);
//   cad::toast("Saved", "", 0xE86C, 3.5f);

#include <cstdint>
#include <functional>
#include <string>

namespace cad {

struct Nav {
    std::function<void(const std::string& id)> openAlbum;
    std::function<void(const std::string& id)> openArtist;
    std::function<void(const std::string& id)> openPlaylist;
    std::function<void()> showNowPlaying;
    std::function<void()> toggleQueue;
    std::function<void()> showOffline;
    std::function<void()> showHome;
    std::function<void()> showSearch;
    std::function<void()> checkServer;
    std::function<void()> refreshOnline;
    std::function<void()> signedIn;
    std::function<void()> signOut;
    std::function<void(const std::string& title, const std::string& detail, float seconds, unsigned icon)> toast;
};

// The process-wide record, created on first use.
Nav& nav();

// Shows a toast through the controller; does nothing before the hook is set.
// Note the argument order: icon before seconds.
void toast(const std::string& title, const std::string& detail, unsigned icon, float seconds);

} // namespace cad
