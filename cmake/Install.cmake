# How Zelto is delivered: the Windows resources of the executable, the install rules (program,
# icon in the hicolor theme, desktop entry, AppStream metadata, manual page, copyright and
# changelog) and the Debian package built by CPack.
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
# Directories made while installing or packaging are rwxr-xr-x whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS zelto RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(UNIX AND NOT APPLE)
    # The id that the desktop entry, the AppStream metadata and the running program share.
    set(ZELTO_APP_ID org.example.zelto)
    set(linux ${ZELTO_RESOURCES}/linux)
    foreach(size IN LISTS ZELTO_ICON_SIZES)
        install(FILES ${ZELTO_RESOURCES}/icons/zelto-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME zelto.png)
    endforeach()
    install(FILES ${linux}/${ZELTO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${linux}/${ZELTO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    # The manual page and the Debian changelog, compressed as Debian wants them: at the highest
    # level and without a time stamp, so that every build gives the same bytes.
    set(gzipped ${CMAKE_CURRENT_BINARY_DIR}/gzipped)
    add_custom_command(OUTPUT ${gzipped}/zelto.1.gz ${gzipped}/changelog.Debian.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${gzipped}
        COMMAND gzip -9n < ${linux}/zelto.1 > ${gzipped}/zelto.1.gz
        COMMAND gzip -9n < ${linux}/changelog.Debian > ${gzipped}/changelog.Debian.gz
        DEPENDS ${linux}/zelto.1 ${linux}/changelog.Debian
        VERBATIM)
    add_custom_target(zelto_gzipped ALL
        DEPENDS ${gzipped}/zelto.1.gz ${gzipped}/changelog.Debian.gz)
    install(FILES ${gzipped}/zelto.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${linux}/copyright ${gzipped}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zelto)
    install(FILES ${linux}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zelto)
    # The global offset table read-only after start-up, as Debian's hardened builds have it.
    target_link_options(zelto PRIVATE LINKER:-z,relro LINKER:-z,now)
endif()

# --- Debian package ------------------------------------------------------------------------------
set(CPACK_PACKAGE_NAME zelto)
set(CPACK_PACKAGE_VENDOR "The Zelto developers")
set(CPACK_PACKAGE_CONTACT "Zelto team <team@zelto.example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rich-text editor with a Russian interface")
set(CPACK_PACKAGE_DESCRIPTION
    "Zelto is a small desktop rich-text editor with a Russian user interface:\n\
character formatting (font, size, colour, bold, italic, underline), paragraph\n\
formatting (alignment, indents, bullets), find, a date-and-time stamp and\n\
removal of extra spaces. It reads plain Windows-1251 text files and writes\n\
them with CR LF line ends, and saves Rich Text Format.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The first package of this version: zelto_1.0.0-1_amd64.deb, with changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
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
