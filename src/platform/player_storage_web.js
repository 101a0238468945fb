// The player's folders in the page's IndexedDB, for the web build (passed to emcc with --pre-js,
// linked with -lidbfs.js). The game keeps its best runs and settings under $HOME, as the XDG rules
// place them; emscripten's $HOME is /home/web_user. Before the game starts, that folder is mounted
// on IndexedDB and what an earlier visit stored is read in, so the game finds its files where it
// looks for them. The game's own flushes store them: emscripten's fsync of a file on this mount
// stores the mount, and holds the caller until it is stored (kept_file.h). Where there is no
// IndexedDB (node, running a replay), the files stay in memory.
(function () {
    var playerHome = '/home/web_user';

    // Holds the game's start back until the stored files are read in.
    function mountPlayerHome() {
        if (typeof indexedDB === 'undefined') {
            return;
        }
        FS.mkdirTree(playerHome);
        FS.mount(IDBFS, {}, playerHome);
        addRunDependency('ghoulrun-player-files');
        FS.syncfs(true, function (error) {
            if (error) {
                err('ghoulrun: the stored files could not be read: ' + error);
            }
            removeRunDependency('ghoulrun-player-files');
        });
    }

    Module['preRun'] = [].concat(Module['preRun'] || []);
    Module['preRun'].push(mountPlayerHome);
})();
