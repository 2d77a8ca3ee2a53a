// Runs before the game: the browser's kept files (IndexedDB) are mounted at
// /save and read in before main starts.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function () {
  FS.mkdir('/save');
  FS.mount(IDBFS, {}, '/save');
  addRunDependency('save');
  FS.syncfs(true, function (error) {
    if (error) console.log('No kept progress could be read: ' + error);
    removeRunDependency('save');
  });
});
