// The player's folders in the page's IndexedDB, for the web build (passed to emcc with --pre-js,
// linked with -lidbfs.js). The game keeps its best runs and settings under $HOME, as the XDG rules
// place them; emscripten's $HOME is /home/web_user. Before the game starts, that folder is mounted
// on IndexedDB and what an earlier visit stored is read in, so the game finds its files where it
// looks for them. The game calls Module.storePlayerFiles after each save (player_storage_web.cpp).
// Where there is no IndexedDB (node, running a replay), the files stay in memory.
(function () {
    var playerHome = '/home/web_user';
    var mounted = false;
    var storing = false;
    var storeAgain = false;

    // One store at a time: emscripten's syncfs copies the whole folder, so the changes made during
    // a store are all taken by the one that follows it.
    function store() {
        if (!mounted) {
            return;
        }
        if (storing) {
            storeAgain = true;
            return;
        }
        storing = true;
        FS.syncfs(false, function (error) {
            storing = false;
            if (error) {
                err('ghoulrun: the browser did not store the saved files: ' + error);
            }
            if (storeAgain) {
                storeAgain = false;
                store();
            }
        });
    }

    // Holds the game's start back until the stored files are read in.
    function mountPlayerHome() {
        if (typeof indexedDB === 'undefined') {
            return;
        }
        FS.mkdirTree(playerHome);
        FS.mount(IDBFS, {}, playerHome);
        mounted = true;
        addRunDependency('ghoulrun-player-files');
        FS.syncfs(true, function (error) {
            if (error) {
                err('ghoulrun: the stored files could not be read: ' + error);
            }
            removeRunDependency('ghoulrun-player-files');
        });
    }

    Module['storePlayerFiles'] = store;
    Module['preRun'] = [].concat(Module['preRun'] || []);
    Module['preRun'].push(mountPlayerHome);
})();
