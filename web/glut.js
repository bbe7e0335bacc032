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
    var p = in_tela(event);
    x = Math.floor(p.x);
    y = Math.floor(p.y);
  }

  // A mouse event's or a touch's place in drawing-buffer pixels.
  function in_tela(e) {
    var r = tela.getBoundingClientRect();
    return { x: (e.clientX - r.left) * tela.width / r.width,
             y: (e.clientY - r.top) * tela.height / r.height };
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

  // Touch, through the mouse's callbacks: one finger is the left button;
  // two fingers are the right button when their distance changes (a
  // spread of d pixels is a move of d pixels up) or the middle button when
  // they move together (by their midpoint). glutInit puts its own handler
  // on window, passive, where its preventDefault is refused with an error:
  // it does nothing here.
  GLUT.touchHandler = function () {};
  var dita = [];        // the touches counted, begun on the canvas: {id, x, y} in canvas pixels
  var gesto = null;     // null, 'uno', 'due' (not yet told), 'pizzico', 'spostamento', 'finito'
  var inizio = null;    // two fingers at the second one's arrival: distance, midpoint
  var premuto = 0;      // the button of the two-finger gesture
  var bx = 0, by = 0;   // where it was pressed
  // CSS pixels the fingers must move before a pinch is told from a drag:
  // a finger that lands never stays exactly still.
  var DECIDI = 4;

  function dito(t) {
    var p = in_tela(t);
    return { id: t.identifier, x: p.x, y: p.y };
  }

  function indice(id) {
    for (var i = 0; i < dita.length; i++) if (dita[i].id == id) return i;
    return -1;
  }

  function due() {
    var a = dita[0], b = dita[1];
    return { d: Math.hypot(b.x - a.x, b.y - a.y), x: (a.x + b.x) / 2, y: (a.y + b.y) / 2 };
  }

  function premi(bottone, stato) {
    if (GLUT.mouseFunc) chiama(GLUT.mouseFunc, bottone, stato, x, y);
  }

  function muovi(nx, ny) {
    if (nx == x && ny == y) return;
    x = nx;
    y = ny;
    if (GLUT.motionFunc) chiama(GLUT.motionFunc, x, y);
  }

  function inizia(event) {
    event.preventDefault();
    tela.focus({ preventScroll: true });
    GLUT.modifiers = 0;
    // Fingers beyond two, and any after a two-finger gesture until all
    // are lifted, are not counted.
    Array.prototype.forEach.call(event.changedTouches, function (t) {
      if (dita.length < 2 && (gesto === null || gesto == 'uno')) dita.push(dito(t));
    });
    if (gesto === null && dita.length >= 1) {
      gesto = 'uno';
      x = Math.floor(dita[0].x);
      y = Math.floor(dita[0].y);
      premi(0 /* GLUT_LEFT_BUTTON */, 0 /* GLUT_DOWN */);
    }
    if (gesto == 'uno' && dita.length == 2) {
      premi(0, 1 /* GLUT_UP */);
      gesto = 'due';
      inizio = due();
    }
  }

  function sposta(event) {
    event.preventDefault();
    Array.prototype.forEach.call(event.changedTouches, function (t) {
      var i = indice(t.identifier);
      if (i >= 0) dita[i] = dito(t);
    });
    if (gesto == 'uno') {
      muovi(Math.floor(dita[0].x), Math.floor(dita[0].y));
      return;
    }
    if (gesto != 'due' && gesto != 'pizzico' && gesto != 'spostamento') return;
    var ora = due();
    var dd = ora.d - inizio.d, dm = Math.hypot(ora.x - inizio.x, ora.y - inizio.y);
    if (gesto == 'due') {
      var scala = tela.width / tela.getBoundingClientRect().width;
      if (Math.max(Math.abs(dd), dm) < DECIDI * scala) return;
      gesto = Math.abs(dd) > dm ? 'pizzico' : 'spostamento';
      premuto = gesto == 'pizzico' ? 2 /* GLUT_RIGHT_BUTTON */ : 1 /* GLUT_MIDDLE_BUTTON */;
      x = bx = Math.floor(inizio.x);
      y = by = Math.floor(inizio.y);
      premi(premuto, 0);
    }
    if (gesto == 'pizzico') muovi(bx, by - Math.round(dd));
    else muovi(bx + Math.round(ora.x - inizio.x), by + Math.round(ora.y - inizio.y));
  }

  function finisci(event) {
    event.preventDefault();
    var lasciati = [];
    Array.prototype.forEach.call(event.changedTouches, function (t) {
      var i = indice(t.identifier);
      if (i >= 0) lasciati.push(dito(t));
    });
    if (lasciati.length) {
      if (gesto == 'uno') {
        x = Math.floor(lasciati[0].x);
        y = Math.floor(lasciati[0].y);
        premi(0, 1);
      } else if (gesto == 'pizzico' || gesto == 'spostamento') {
        premi(premuto, 1);
      }
      if (gesto !== null) gesto = 'finito';
      lasciati.forEach(function (d) { dita.splice(indice(d.id), 1); });
    }
    if (dita.length == 0) gesto = null;
  }

  tela.addEventListener('touchstart', inizia, { passive: false });
  tela.addEventListener('touchmove', sposta, { passive: false });
  tela.addEventListener('touchend', finisci, { passive: false });
  tela.addEventListener('touchcancel', finisci, { passive: false });

  // The row of key buttons: each hands the viewer what its key does, at
  // the pointer's last position. A button never takes the focus, so the
  // keyboard keeps going to the picture.
  var tasti = document.getElementById('tasti');
  if (tasti) {
    ['mousedown', 'pointerdown'].forEach(function (tipo) {
      tasti.addEventListener(tipo, function (event) { event.preventDefault(); });
    });
    tasti.addEventListener('click', function (event) {
      var b = event.target.closest('button');
      if (!b) return;
      if (document.activeElement != tela) tela.focus({ preventScroll: true });
      GLUT.modifiers = 0;
      if (b.dataset.speciale) {
        if (GLUT.specialFunc) chiama(GLUT.specialFunc, Number(b.dataset.speciale), x, y);
      } else if (GLUT.keyboardFunc) {
        chiama(GLUT.keyboardFunc, b.dataset.tasto.charCodeAt(0), x, y);
      }
    });
  }

  // The page fits the picture to the window (adattaTela, in the page);
  // the viewer learns the new size through its own reshape callback, as
  // from a window manager: Emscripten's GLUT calls it only for its own
  // resizes.
  function adatta() {
    if (adattaTela() && GLUT.reshapeFunc) chiama(GLUT.reshapeFunc, tela.width, tela.height);
  }

  // main's glutInitWindowSize sets 1000 by 660 again and clears the CSS
  // size: fitted once more after main.
  addOnPostRun(adatta);
  window.addEventListener('resize', adatta);
  // A window moved to a screen of another density keeps its size and gets
  // no resize: a query on the density it has says when that stops holding,
  // and then one on the new density takes its place.
  (function densita() {
    var q = matchMedia('(resolution: ' + (window.devicePixelRatio || 1) + 'dppx)');
    q.addEventListener('change', function () { adatta(); densita(); }, { once: true });
  })();
  // The controls' heights change too (a message shown): a frame later, as
  // a resize made inside the observer would be reported as a loop.
  if (window.ResizeObserver) {
    new ResizeObserver(function () { requestAnimationFrame(adatta); }).observe(document.body);
  }
})();
