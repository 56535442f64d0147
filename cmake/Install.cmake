# How Zelto is delivered: the Windows resources of the executable, the install rules (program,
# icon in the hicolor theme, desktop entry) and the Debian package built by CPack.
#   cmake --install <build> --prefix <dir>     installs
#   cpack -G DEB  (in <build>)                 builds zelto_<version>_<arch>.deb

include(GNUInstallDirs)

set(ZELTO_RESOURCES ${PROJECT_SOURCE_DIR}/resources)
set(ZELTO_ICON_SIZES 16 24 32 48 64 96 128 256)

# --- Windows: icon, manifest and version block; a windowed program without a console -----------
if(WIN32)
    enable_language(RC)
    set(zelto_rc ${ZELTO_RESOURCES}/windows/zelto.rc)
    set_property(SOURCE ${zelto_rc} APPEND PROPERTY INCLUDE_DIRECTORIES ${ZELTO_RESOURCES}/windows)
    set_property(SOURCE ${zelto_rc} APPEND PROPERTY OBJECT_DEPENDS
        ${ZELTO_RESOURCES}/windows/zelto.manifest ${ZELTO_RESOURCES}/icons/zelto.ico)
    target_sources(zelto PRIVATE ${zelto_rc})
    set_target_properties(zelto PROPERTIES WIN32_EXECUTABLE ON)
    if(MSVC)
        # The resource script already embeds the manifest; a second one from the linker would clash.
        target_link_options(zelto PRIVATE /MANIFEST:NO)
    endif()
endif()

# --- install rules -------------------------------------------------------------------------------
install(TARGETS zelto RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(UNIX AND NOT APPLE)
    foreach(size IN LISTS ZELTO_ICON_SIZES)
        install(FILES ${ZELTO_RESOURCES}/icons/zelto-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME zelto.png)
    endforeach()
    install(FILES ${ZELTO_RESOURCES}/zelto.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

# --- Debian package ------------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME zelto)
set(CPACK_PACKAGE_VENDOR "Zelto team")
set(CPACK_PACKAGE_CONTACT "Zelto team <team@zelto.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rich-text editor with a Russian interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Zelto is a small desktop rich-text editor with a Russian user interface: character\n\
formatting (font, size, colour, bold, italic, underline), paragraph formatting (alignment,\n\
indents, bullets), find, a date-and-time stamp and removal of extra spaces. It reads plain\n\
Windows-1251 text files and writes them with CR LF line ends, and saves Rich Text Format.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zelto.example.org")
# Russian labels in the standard dialogs, and a face metric-compatible with Times New Roman.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, fonts-liberation, hicolor-icon-theme")

# The libraries the program links come from dpkg-shlibdeps (package dpkg-dev) where it and the file
# utility that CPack runs before it are present, otherwise from this list of the Qt 6 runtime
# packages that the build links against.
find_program(ZELTO_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(ZELTO_FILE_UTILITY file)
if(ZELTO_DPKG_SHLIBDEPS AND ZELTO_FILE_UTILITY)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6widgets6 (>= ${Qt6_VERSION}), libqt6gui6 (>= ${Qt6_VERSION}), \
libqt6core6 (>= ${Qt6_VERSION}), libc6, libstdc++6, libgcc-s1")
endif()

set(CPACK_GENERATOR DEB)
include(CPack)
