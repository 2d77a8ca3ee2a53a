// For the page and its test: whether the game's sound is running.
Module['audioState'] = function () {
  var context = SDL.audioContext;
  var music = SDL.music && SDL.music.audio;
  return {
    context: context ? context.state : 'none',
    time: context ? context.currentTime : 0,
    music: !!music && !music.paused
  };
};
