// Picture files for the tests, without the imaging library's headers (the
// window's tests cannot have them beside Qt's).
#ifndef LUMIVANE_TESTS_PICTURE_FILES_H_
#define LUMIVANE_TESTS_PICTURE_FILES_H_

#include <cstddef>
#include <string>

namespace lumivane::testing {

// A w x h file of one colour (see MakePicture) in the given format
// ("JPEG", "PNG", "BMP", "GIF").
void MakePictureFile(const std::string& path, size_t w, size_t h, const std::string& colour,
                     const std::string& format);

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_PICTURE_FILES_H_
