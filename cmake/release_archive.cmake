# The release archive (`make package`): one folder holding both programs, the empty data folder
# they read, the README and the sample pages. Unpacked anywhere, it runs as it stands.
install(DIRECTORY DESTINATION data)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/window.png DESTINATION docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples)

string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" release_platform)
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME catalog-collector)
set(CPACK_PACKAGE_FILE_NAME "catalog-collector-${PROJECT_VERSION}-${release_platform}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
