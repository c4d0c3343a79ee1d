# cmake --install: headers, the libraries, the varn-rowcode tool, the CMake package VarnControls and varncontrols.pc.
include(CMakePackageConfigHelpers)

# The SDL backend's headers need SDL's own; without the backend they stay out.
set(VARN_HEADER_EXCLUDE "")
if(NOT VARN_WITH_SDL)
  set(VARN_HEADER_EXCLUDE PATTERN "backend/sdl" EXCLUDE)
endif()
foreach(dir platform utils db grid edit controls)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${VARN_INSTALL_INCLUDEDIR}/${dir}
          FILES_MATCHING PATTERN "*.h" ${VARN_HEADER_EXCLUDE})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/include/VarnControls.h DESTINATION ${VARN_INSTALL_INCLUDEDIR})

install(TARGETS varn_win varn_platform varn_controls EXPORT VarnControlsTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
if(TARGET varn_testing)
  install(FILES ${PROJECT_SOURCE_DIR}/include/VarnControls/Testing.h
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/VarnControls)
  install(TARGETS varn_testing EXPORT VarnControlsTestingTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(EXPORT VarnControlsTestingTargets NAMESPACE Varn::
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VarnControls)
endif()
install(TARGETS varn-rowcode RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT VarnControlsTargets NAMESPACE Varn::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VarnControls)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VarnControlsConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VarnControlsConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VarnControls)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VarnControlsConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/VarnControlsConfig.cmake
              ${PROJECT_BINARY_DIR}/VarnControlsConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/VarnControls)

set(VARN_PC_SDL "")
if(VARN_WITH_SDL)
  set(VARN_PC_SDL " sdl2")
endif()
file(RELATIVE_PATH VARN_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
configure_file(${PROJECT_SOURCE_DIR}/cmake/varncontrols.pc.in
               ${PROJECT_BINARY_DIR}/varncontrols.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/varncontrols.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
