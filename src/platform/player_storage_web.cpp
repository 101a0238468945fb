// Hands each change to the player's files to the page's script, which stores it in IndexedDB.
#include "platform/player_storage.h"

#include <emscripten.h>

namespace platform {
namespace {

// Defined by player_storage_web.js; a page built without it keeps the files in memory only.
EM_JS(void, storeInBrowser, (), {
    if (Module['storePlayerFiles']) {
        Module['storePlayerFiles']();
    }
});

} // namespace

void playerFilesChanged() {
    storeInBrowser();
}

} // namespace platform
