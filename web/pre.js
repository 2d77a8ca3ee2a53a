// Runs before the game and the editor: the browser's kept files (IndexedDB)
// are mounted at /save and read in before main starts.
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
// The browser's SDL lacks the numbers some browsers give the = and - keys
// (the editor's bomb count).
Module['preRun'].push(function () {
  if (typeof SDL === 'undefined') return;
  SDL.keyCodes[187] = 61;
  SDL.keyCodes[189] = 45;
});
