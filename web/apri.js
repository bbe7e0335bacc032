// apri.js (post-js): files chosen with the page's Open button or dropped
// anywhere on it go to the viewer's readers (apri.cpp), as files named on
// the desktop's command line. They are read in the page and go nowhere.
(function () {
  var scelta = document.getElementById('apri');
  var messaggio = document.getElementById('messaggio');
  var nota = document.getElementById('nota');
  var turno = 0;        // a later opening overtakes one still reading
  // Files go in once main has built the start scene, not before.
  var pronto = new Promise(function (fatto) { addOnPostRun(fatto); });

  function mostra(elemento, testo) {
    elemento.textContent = testo;
    elemento.hidden = !testo;
  }

  // One file's bytes into the heap, or 0 for one not read. One at a time:
  // a large file is held twice (browser and heap) only while it is copied.
  function in_memoria(file, limite, tanti) {
    // More than the scene's four are refused by their count, unread.
    if (tanti || file.size > limite) return Promise.resolve(0);
    // With the '\0' the readers stop at, so that they need no copy.
    return file.arrayBuffer().then(function (b) {
      var p = _malloc(b.byteLength + 1);
      if (p) {
        HEAPU8.set(new Uint8Array(b), p);
        HEAPU8[p + b.byteLength] = 0;
      }
      return p;
    }, function () { return 0; });
  }

  // Picked with a .gltf, a file that is no model is one of its buffers
  // (.bin, or any name its URIs give): handed beside the models.
  var MODELLO = /\.(off|obj|ply|stl|gltf|glb|3mf)$/i;

  function apri(elenco) {
    var tutti = Array.prototype.slice.call(elenco || []);
    if (!tutti.length) return;
    var gltf = tutti.some(function (f) { return /\.gltf$/i.test(f.name); });
    var modelli = tutti.filter(function (f) { return !gltf || MODELLO.test(f.name); });
    var accanto = tutti.filter(function (f) { return gltf && !MODELLO.test(f.name); });
    var file = modelli.concat(accanto);
    var mio = ++turno;
    var tanti = modelli.length > 4, dati = [];
    var catena = pronto;
    file.forEach(function (f) {
      catena = catena.then(function () {
        return in_memoria(f, _apri_limite(), tanti).then(function (p) { dati.push(p); });
      });
    });
    catena.then(function () {
      if (mio == turno) consegna(file, modelli.length, dati);
      dati.forEach(function (p) { if (p) _free(p); });
      // Openings finished, for the tests and the benchmarks.
      Module['aperture'] = (Module['aperture'] || 0) + 1;
    });
  }

  // file: the models first, then the files beside them.
  function consegna(file, modelli, dati) {
    var n = file.length, utf8 = new TextEncoder();
    var tabelle = _malloc(12 * n), nomi = [];
    file.forEach(function (f, k) {
      var nome = utf8.encode(f.name);
      var p = _malloc(nome.length + 1);
      HEAPU8.set(nome, p);
      HEAPU8[p + nome.length] = 0;
      nomi.push(p);
      HEAPU32[(tabelle >> 2) + k] = p;
      HEAPU32[(tabelle >> 2) + n + k] = dati[k];
      // The length the page knows, also of a file it did not read.
      HEAPU32[(tabelle >> 2) + 2 * n + k] = Math.min(f.size, 0xffffffff);
    });
    var esito = _apri_file(modelli, n - modelli, tabelle, tabelle + 4 * n, tabelle + 8 * n);
    mostra(messaggio, esito ? UTF8ToString(esito) : '');
    // A refused scene leaves the picture, and so its notes, as they were.
    if (!esito) mostra(nota, UTF8ToString(_apri_note()).replace(/\n$/, ''));
    nomi.forEach(function (p) { _free(p); });
    _free(tabelle);
  }

  scelta.addEventListener('change', function () {
    apri(scelta.files);
    scelta.value = '';          // the same file chosen again opens again
    Module['canvas'].focus({ preventScroll: true });
  });

  // Anywhere on the page, and the browser never opens the file itself.
  window.addEventListener('dragover', function (event) {
    event.preventDefault();
    if (event.dataTransfer) event.dataTransfer.dropEffect = 'copy';
  });
  window.addEventListener('drop', function (event) {
    event.preventDefault();
    if (event.dataTransfer) apri(event.dataTransfer.files);
    Module['canvas'].focus({ preventScroll: true });
  });
})();
