# The libraries of the Windows build, from the folder scripts/windows fills:
# the imaging library as its npm packages ship it for Windows (one DLL with
# glib and the format libraries inside; its C++ binding built here, the
# shipped one is made for another compiler) and the JPEG decoder built from
# Debian's source. Each gets the name the Linux build finds it under.
set(LUMIVANE_WINDOWS_DEPS "" CACHE PATH "Folder scripts/windows fills")
if(NOT IS_DIRECTORY "${LUMIVANE_WINDOWS_DEPS}")
  message(FATAL_ERROR "The Windows build needs -DLUMIVANE_WINDOWS_DEPS (scripts/windows sets it)")
endif()
set(img ${LUMIVANE_WINDOWS_DEPS}/node_modules/@img)
set(VIPS_DLL ${img}/sharp-libvips-win32-x64/lib/libvips-42.dll)
file(READ ${img}/sharp-libvips-dev/versions.json versions)
string(REGEX MATCH "\"vips\": \"([0-9.]+)\"" _ "${versions}")
set(VIPS_VERSION ${CMAKE_MATCH_1})

add_library(lumivane_vips_binding STATIC
  ${img}/sharp-libvips-dev/cplusplus/VConnection.cpp
  ${img}/sharp-libvips-dev/cplusplus/VError.cpp
  ${img}/sharp-libvips-dev/cplusplus/VImage.cpp
  ${img}/sharp-libvips-dev/cplusplus/VInterpolate.cpp
  ${img}/sharp-libvips-dev/cplusplus/VRegion.cpp)
target_include_directories(lumivane_vips_binding SYSTEM PUBLIC
  ${img}/sharp-libvips-dev/include
  ${img}/sharp-libvips-dev/include/glib-2.0
  ${img}/sharp-libvips-win32-x64/lib/glib-2.0/include)
target_compile_options(lumivane_vips_binding PRIVATE -w)
target_link_libraries(lumivane_vips_binding PUBLIC ${VIPS_DLL})
add_library(PkgConfig::VIPS ALIAS lumivane_vips_binding)

add_library(lumivane_jpeg INTERFACE)
# Before the imaging library's headers, which carry another decoder's.
target_include_directories(lumivane_jpeg BEFORE INTERFACE ${LUMIVANE_WINDOWS_DEPS}/jpeg/include)
target_link_libraries(lumivane_jpeg INTERFACE ${LUMIVANE_WINDOWS_DEPS}/jpeg/lib/libjpeg.a)
add_library(PkgConfig::JPEG ALIAS lumivane_jpeg)
