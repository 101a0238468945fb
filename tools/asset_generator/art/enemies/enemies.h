// The enemy kinds' pictures, each kind in a source file of its own.
#pragma once

#include "art/picture.h"

#include <vector>

namespace art {

void addAttackerPictures(std::vector<Picture>& pictures);
void addCrawlerPictures(std::vector<Picture>& pictures);
void addShooterPictures(std::vector<Picture>& pictures);
void addFireballPictures(std::vector<Picture>& pictures);

} // namespace art
