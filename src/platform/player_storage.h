// The player's files in a browser: emscripten's file system lives in the page's memory, and the
// files the game keeps last across reloads only once they are stored in the page's IndexedDB.
// The player's folders are mounted there and read in before the game starts (the page's script,
// player_storage_web.js, does so). On the desktop they are on the disk already.
#pragma once

namespace platform {

#ifdef __EMSCRIPTEN__
// Starts storing every change to the player's folders in the browser, and returns at once; a
// change made while a store is under way is stored once that one is done. A failure is reported
// on standard error.
void playerFilesChanged();
#else
// Nothing to do: the change is on the disk.
inline void playerFilesChanged() {}
#endif

} // namespace platform
