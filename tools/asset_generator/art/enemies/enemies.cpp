// The collection of every enemy-side picture, each kind drawn in a source file of its own.
#include "art/enemies/enemies.h"
#include "art/enemies/attacker.h"
#include "art/enemies/crawler.h"
#include "art/enemies/fireball.h"
#include "art/enemies/shooter.h"

namespace art {

std::vector<Picture> enemyPictures() {
    std::vector<Picture> pictures;
    addAttackerPictures(pictures);
    addCrawlerPictures(pictures);
    addShooterPictures(pictures);
    addFireballPictures(pictures);
    return pictures;
}

} // namespace art
