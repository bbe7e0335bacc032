// glut.js (post-js): Emscripten's GLUT made to deliver input as freeglut
// does on X. This runs before main, so glutInit registers the handlers
// below in place of its own.
(function () {
  var tela = Module['canvas'];
  var x = 0, y = 0;               // the pointer, in canvas pixels

  function chiama(funzione) {
    var argomenti = Array.prototype.slice.call(arguments, 1);
    wasmTable.get(funzione).apply(null, argomenti);
  }

  // Whole pixels from the canvas's top left corner, like a window's
  // coordinates; outside the canvas during a drag, as X reports them too.
  function posizione(event) {
    var r = tela.getBoundingClientRect();
    x = Math.floor((event.clientX - r.left) * tela.width / r.width);
    y = Math.floor((event.clientY - r.top) * tela.height / r.height);
  }

  // Browser buttons 3 and 4 (back, forward) are X's 8 and 9, which
  // freeglut numbers 7 and 8.
  function bottone(event) {
    return event.button <= 2 ? event.button : event.button + 4;
  }

  // Only a press on the canvas counts, as X gives a window only its own
  // presses; the release then comes wherever the pointer is.
  GLUT.onMouseButtonDown = function (event) {
    if (event.target != tela) return;
    posizione(event);
    tela.focus({ preventScroll: true });
    // No autoscroll for the middle button, no text selection while dragging.
    event.preventDefault();
    GLUT.buttons |= 1 << event.button;
    GLUT.saveModifiers(event);
    if (GLUT.mouseFunc) chiama(GLUT.mouseFunc, bottone(event), 0 /* GLUT_DOWN */, x, y);
  };

  GLUT.onMouseButtonUp = function (event) {
    var bit = 1 << event.button;
    if (!(GLUT.buttons & bit)) return;
    posizione(event);
    GLUT.buttons &= ~bit;
    event.preventDefault();
    GLUT.saveModifiers(event);
    if (GLUT.mouseFunc) chiama(GLUT.mouseFunc, bottone(event), 1 /* GLUT_UP */, x, y);
  };

  // Emscripten's handler passes the previous position: every drag step
  // would lag one event behind and the last one would be lost.
  function moto(event) {
    var primaX = x, primaY = y;
    posizione(event);
    if (x == primaX && y == primaY) return;
    if (GLUT.buttons != 0) {
      if (!GLUT.motionFunc) return;
      event.preventDefault();
      GLUT.saveModifiers(event);
      chiama(GLUT.motionFunc, x, y);
    } else if (event.target == tela && GLUT.passiveMotionFunc) {
      GLUT.saveModifiers(event);
      chiama(GLUT.passiveMotionFunc, x, y);
    }
  }

  // Chromium sends mouse moves once per frame, merging what the mouse
  // reported meanwhile; X reports every one, and a drag's steps do not add
  // up alike (rescale factors multiply). The mouse's pointer events still
  // carry every report. Moves made up by the page (touch) have no pointer
  // event of their own.
  GLUT.onMousemove = function (event) {
    if (!event.isTrusted) moto(event);
  };
  window.addEventListener('pointermove', function (event) {
    if (event.pointerType != 'mouse') return;
    var tutti = event.getCoalescedEvents ? event.getCoalescedEvents() : [];
    (tutti.length ? tutti : [event]).forEach(function (e) { moto(e); });
  }, true);

  // A wheel step is a press and a release of button 3 (up) or 4 (down),
  // 5 and 6 sideways. The listener sits on the canvas and is not passive,
  // so the page does not scroll under the pointer.
  GLUT.onMouseWheel = function () {};
  tela.addEventListener('wheel', function (event) {
    event.preventDefault();
    posizione(event);
    var passi = [];
    if (event.deltaY) passi.push(event.deltaY < 0 ? 3 : 4);
    if (event.deltaX) passi.push(event.deltaX < 0 ? 5 : 6);
    if (!GLUT.mouseFunc) return;
    GLUT.saveModifiers(event);
    passi.forEach(function (b) {
      chiama(GLUT.mouseFunc, b, 0, x, y);
      chiama(GLUT.mouseFunc, b, 1, x, y);
    });
  }, { passive: false });

  tela.addEventListener('contextmenu', function (event) { event.preventDefault(); });
  tela.addEventListener('auxclick', function (event) { event.preventDefault(); });

  // Keys that X turns into no character and freeglut reports as special.
  var speciali = {
    F1: 1, F2: 2, F3: 3, F4: 4, F5: 5, F6: 6, F7: 7, F8: 8, F9: 9, F10: 10, F11: 11, F12: 12,
    ArrowLeft: 100, ArrowUp: 101, ArrowRight: 102, ArrowDown: 103,
    PageUp: 104, PageDown: 105, Home: 106, End: 107, Insert: 108,
    NumLock: 109, Clear: 110,
  };
  var modificatori = {
    ShiftLeft: 112, ShiftRight: 113, ControlLeft: 114, ControlRight: 115,
    AltLeft: 116, AltRight: 117, MetaLeft: 118, MetaRight: 119,
  };
  // Keys that X turns into a control character.
  var controllo = { Backspace: 8, Tab: 9, Enter: 13, Escape: 27, Delete: 127 };

  // What freeglut on X hands the program for a key: [character] for the
  // keyboard callback, [null, code] for the special one, or null.
  function tasto(event) {
    if (event.key == 'AltGraph') return null;     // X's level-3 shift: no key of its own
    if (event.code in modificatori) return [null, modificatori[event.code]];
    // With NumLock off the keypad's Delete gives no character.
    if (event.key == 'Delete' && event.code == 'NumpadDecimal') return [null, 111];
    if (event.key in speciali) return [null, speciali[event.key]];
    var c;
    if (event.key in controllo) c = controllo[event.key];
    else if (event.key.length == 1) c = event.key.charCodeAt(0);
    else return null;             // dead keys, composition, keys with no character
    if (c > 255) return null;     // outside Latin-1 X gives no single byte
    // Control as X applies it to the character.
    if (event.ctrlKey) {
      if (c == 32 || (c >= 64 && c < 128)) c &= 31;
      else if (c == 50) c = 0;                      // '2'
      else if (c >= 51 && c <= 55) c = c - 51 + 27; // '3' to '7'
      else if (c == 56) c = 127;                    // '8'
      else if (c == 47) c = 31;                     // '/'
    }
    return [c];
  }

  GLUT.onKeydown = function (event) {
    if (event.isComposing) return;
    var t = tasto(event);
    if (t === null) return;
    var f = t[0] !== null ? GLUT.keyboardFunc : GLUT.specialFunc;
    if (!f) return;
    // The browser keeps its shortcuts and function keys; scrolling and
    // focus moves by keys the program takes do not happen.
    if (!event.ctrlKey && !event.metaKey && !/^F\d+$/.test(event.key)) event.preventDefault();
    GLUT.saveModifiers(event);
    chiama(f, t[0] !== null ? t[0] : t[1], x, y);
  };
})();
