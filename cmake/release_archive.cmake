# The release archive (`make package`, `make package-windows`): one folder holding the programs,
# the empty data folder they read, the users' README and the sample pages, and on Linux the
# desktop entry, its icon and the script that installs them. Unpacked anywhere, it runs as it stands. Linux gets a .tar.gz,
# Windows a .zip, which Explorer opens by itself.

# The programs the archive holds, whichever of them this build makes: each installs itself
# beside the data folder (install(TARGETS ... DESTINATION .) in its own folder): on Linux the Qt
# window, on Windows the Win32 one, both named catalog-collector.
set(release_programs catalog-collector catalog-collector-cli)
add_custom_target(release-programs)
foreach(program IN LISTS release_programs)
    if(TARGET ${program})
        add_dependencies(release-programs ${program})
    endif()
endforeach()

install(DIRECTORY DESTINATION data)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples)
if(CATALOG_BUILD_WINDOW)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/window.png DESTINATION docs)
    # Beside the programs, for the user to put in the desktop's menu: the script writes the
    # entry with this folder's path in it.
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/catalog-collector.desktop
                  ${PROJECT_SOURCE_DIR}/packaging/icons/catalog-collector.png
            DESTINATION .)
    install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/install-desktop-entry DESTINATION .)
endif()
if(WIN32)
    install(FILES ${PROJECT_SOURCE_DIR}/docs/window-windows.png DESTINATION docs)
endif()

# The users' README, not the developers' one: what the programs do, not how to build them, one
# for each system, installed as README.txt. On Windows it gets CR LF, the line end every Windows
# editor shows, old Notepad included.
if(WIN32)
    set(readme_source README-windows.txt)
    set(readme_newlines CRLF)
else()
    set(readme_source README-linux.txt)
    set(readme_newlines UNIX)
endif()
configure_file(${PROJECT_SOURCE_DIR}/packaging/${readme_source}
    ${PROJECT_BINARY_DIR}/release/README.txt @ONLY NEWLINE_STYLE ${readme_newlines})
install(FILES ${PROJECT_BINARY_DIR}/release/README.txt DESTINATION .)

string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" release_platform)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
else()
    set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_PACKAGE_NAME catalog-collector)
set(CPACK_PACKAGE_FILE_NAME "catalog-collector-${PROJECT_VERSION}-${release_platform}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
