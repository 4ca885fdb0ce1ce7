# Installation and the Debian package (make package, or cpack -G DEB in the build folder):
# the program and its assets under /opt/sonaria, the command /usr/bin/sonaria, a desktop
# entry and the logo as hicolor icons. The fonts are Debian's own, reached through symlinks,
# so the package depends on their packages instead of carrying copies.

set(SONARIA_PREFIX /opt/sonaria)
set(staging ${CMAKE_BINARY_DIR}/package-files)
file(MAKE_DIRECTORY ${staging}/fonts)
file(CREATE_LINK ../../opt/sonaria/sonaria ${staging}/sonaria SYMBOLIC)
file(CREATE_LINK ${SONARIA_FONT_DIR}/Roboto-Regular.ttf ${staging}/fonts/font.ttf SYMBOLIC)
file(CREATE_LINK ${SONARIA_ICON_FONT} ${staging}/fonts/MaterialIcons-Regular.ttf SYMBOLIC)

install(TARGETS sonaria DESTINATION ${SONARIA_PREFIX})
install(FILES ${CMAKE_SOURCE_DIR}/data/logo.png DESTINATION ${SONARIA_PREFIX})
install(FILES ${staging}/fonts/font.ttf ${staging}/fonts/MaterialIcons-Regular.ttf
        DESTINATION ${SONARIA_PREFIX}/fonts)
install(FILES ${staging}/sonaria DESTINATION /usr/bin)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/sonaria.desktop DESTINATION /usr/share/applications)

# The logo is 128 px, and drawn again as SVG for larger sizes; the smaller sizes desktop
# menus ask for are scaled from it when ImageMagick is at hand (scripts/setup installs it).
install(FILES ${CMAKE_SOURCE_DIR}/data/logo.png DESTINATION /usr/share/icons/hicolor/128x128/apps
        RENAME sonaria.png)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/sonaria.svg DESTINATION /usr/share/icons/hicolor/scalable/apps)
find_program(SONARIA_CONVERT convert)
if(SONARIA_CONVERT)
  set(icons "")
  foreach(size 32 48 64)
    set(icon ${staging}/icons/${size}/sonaria.png)
    add_custom_command(OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${staging}/icons/${size}
      COMMAND ${SONARIA_CONVERT} ${CMAKE_SOURCE_DIR}/data/logo.png -resize ${size}x${size} -strip ${icon}
      DEPENDS ${CMAKE_SOURCE_DIR}/data/logo.png)
    list(APPEND icons ${icon})
    install(FILES ${icon} DESTINATION /usr/share/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(sonaria_icons ALL DEPENDS ${icons})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sonaria)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Music player for Navidrome and other Subsonic servers")
set(CPACK_PACKAGE_DESCRIPTION "Sonaria browses, streams and downloads music from a server that speaks \
the Subsonic API, such as Navidrome. It is driven by keyboard, mouse, touch or a game controller, \
and keeps playing downloaded songs when the server is out of reach.")
set(CPACK_PACKAGE_CONTACT "Sonaria developers")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_STRIP_FILES ON)
# dpkg-shlibdeps names the library packages (SDL2 and its companions, FFmpeg's libav*, libcurl,
# libsystemd for the media controls, libstdc++)
# with the versions this build needs; the fonts are opened at run time and are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-roboto, fonts-material-design-icons-iconfont")
include(CPack)
