// The background and status bar pictures.
#include "art/scenes/scenes.h"
#include "art/interface.h"
#include "art/scenes/city.h"
#include "art/scenes/underground.h"

namespace art {

std::vector<Picture> scenePictures() {
    std::vector<Picture> pictures = interfacePictures();
    pictures.push_back({"city2", drawCity(), sceneKey});
    pictures.push_back({"underground", drawUnderground(), sceneKey});
    return pictures;
}

} // namespace art
