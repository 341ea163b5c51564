# The engine as a package for programs of one's own, installed apart from
# the programs (not in the Debian package or the Windows zip):
#
#   cmake --build build --target brenlow_engine_package
#   cmake --install build --component engine --prefix PREFIX
#
# gives PREFIX/lib/libbrenlow.a (the engine and every library below it,
# one archive, so nothing has to be listed in order), PREFIX/include/brenlow/
# engine.hpp (standard library only), the CMake package (find_package(Brenlow):
# the one target Brenlow::engine) and PREFIX/lib/pkgconfig/brenlow.pc.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The folders the engine builds on, itself first.
set(brenlow_engine_parts brenlow_engine brenlow_input brenlow_gradients brenlow_corona brenlow_fields
    brenlow_spans brenlow_format brenlow_model)
set(brenlow_engine_objects)
foreach(part IN LISTS brenlow_engine_parts)
  list(APPEND brenlow_engine_objects $<TARGET_OBJECTS:${part}>)
endforeach()
add_library(brenlow_engine_package STATIC ${brenlow_engine_objects})
set_target_properties(brenlow_engine_package PROPERTIES OUTPUT_NAME brenlow EXPORT_NAME engine LINKER_LANGUAGE CXX)
target_include_directories(brenlow_engine_package INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_features(brenlow_engine_package INTERFACE cxx_std_20)

set(brenlow_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Brenlow)
install(TARGETS brenlow_engine_package EXPORT BrenlowTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT engine EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/src/engine/engine.hpp DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/brenlow
        COMPONENT engine EXCLUDE_FROM_ALL)
install(EXPORT BrenlowTargets NAMESPACE Brenlow:: DESTINATION ${brenlow_cmake_dir}
        COMPONENT engine EXCLUDE_FROM_ALL)
file(WRITE ${PROJECT_BINARY_DIR}/BrenlowConfig.cmake
     "# Brenlow's engine: the target Brenlow::engine.\ninclude(\"\${CMAKE_CURRENT_LIST_DIR}/BrenlowTargets.cmake\")\n")
write_basic_package_version_file(${PROJECT_BINARY_DIR}/BrenlowConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/BrenlowConfig.cmake ${PROJECT_BINARY_DIR}/BrenlowConfigVersion.cmake
        DESTINATION ${brenlow_cmake_dir} COMPONENT engine EXCLUDE_FROM_ALL)
# pkg-config: the prefix found from the file's own place, so the tree may move.
file(RELATIVE_PATH brenlow_pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/brenlow.pc.in ${PROJECT_BINARY_DIR}/brenlow.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/brenlow.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT engine EXCLUDE_FROM_ALL)
