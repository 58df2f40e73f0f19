// The page's memory of the player's files (the best scores and whatever else the game keeps in
// $XDG_DATA_HOME/kromblix/): that directory lives in the browser's storage (IndexedDB, through
// emscripten's IDBFS). It is read back before the game starts, so the game finds last visit's
// files where the desktop game finds them on the disk, and written out each time the game has
// saved a file there (plat_files_saved calls Module.keepFiles) and when the page is hidden.
// A storage that is refused or full is reported through Module.onStorageProblem; the game goes
// on with its files in memory for as long as the page is open.
//
// Linked into the page's script with --pre-js: Module, FS, IDBFS, ENV and the run dependencies
// are the script's own.
Module.preRun = [].concat(Module.preRun || [], function keepPlayerFiles() {
  const env = typeof ENV !== 'undefined' ? ENV : {};
  const home = env.XDG_DATA_HOME || (env.HOME || '/home/web_user') + '/.local/share';
  const dir = home + '/kromblix';
  let syncing = false, again = false, loaded = false;

  const problem = (when, error) => {
    const name = error && error.name;
    const why = name === 'QuotaExceededError' ? 'the storage is full'
      : (error && error.message) || String(error || 'unknown error');
    const text = when === 'load'
      ? `This browser does not keep the best scores for this page (${why}); they last until the page is closed.`
      : `The best scores could not be kept in this browser (${why}); they last until the page is closed.`;
    if (Module.onStorageProblem) Module.onStorageProblem(text);
    else console.warn(text);
  };

  // Writes the directory out; a save asked for while one is on its way follows it.
  Module.keepFiles = () => {
    if (!loaded) return;
    if (syncing) {
      again = true;
      return;
    }
    syncing = true;
    try {
      FS.syncfs(false, (error) => {
        syncing = false;
        if (error) problem('save', error);
        if (again) {
          again = false;
          Module.keepFiles();
        }
      });
    } catch (error) {
      syncing = false;
      problem('save', error);
    }
  };

  try {
    FS.mkdirTree(dir);
    FS.mount(IDBFS, {}, dir);
  } catch (error) {
    problem('load', error);
    return;
  }
  // The game waits for the files, but not for a storage that never answers.
  addRunDependency('kromblix-player-files');
  let waiting = true;
  const started = () => {
    if (waiting) removeRunDependency('kromblix-player-files');
    waiting = false;
  };
  const patience = setTimeout(() => {
    if (waiting) problem('load', new Error('the storage did not answer'));
    started();
  }, 10000);
  try {
    FS.syncfs(true, (error) => {
      clearTimeout(patience);
      if (!waiting) return;
      if (error) problem('load', error);
      else loaded = true;
      started();
    });
  } catch (error) {
    problem('load', error);
    started();
  }
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState === 'hidden') Module.keepFiles();
  });
});
