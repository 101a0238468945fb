// The background and status bar pictures.
#include "art/picture.h"

namespace art {

std::vector<Picture> scenePictures() {
    std::vector<Picture> pictures = interfacePictures();
    pictures.push_back({"city2", drawCity(), sceneKey});
    pictures.push_back({"underground", drawUnderground(), sceneKey});
    return pictures;
}

} // namespace art
