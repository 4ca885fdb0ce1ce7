#pragma once
// Build-time constants of the device this build targets (the desktop window),
// read through deviceProfile() so a handheld build changes them in one place.

namespace cad {

struct DeviceProfile {
    bool compactNavigation = false; // only the essential navigation buttons
    bool compactBottomBar = false;  // the page bottom bar's compact form
    int requestWorkers = 3;         // Net::requestPool
    int downloadWorkers = 2;        // Net::downloadPool
    int albumColumns = 5;           // tiles per album-grid row
    float tileWidth = 200;          // album tile
    float tileGap = 16;             // between tiles and shelf items
    float nowPlayingCover = 400;    // cover side on the now-playing panel
    float panelGap = 44;            // now-playing panel: gap, horizontal and vertical padding
    float panelPaddingX = 36;
    float panelPaddingY = 16;
};

inline const DeviceProfile& deviceProfile()
{
    static constexpr DeviceProfile profile {};
    return profile;
}

} // namespace cad
