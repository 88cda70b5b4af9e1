// Late-bound calls from JScript under cscript: BrelmoxCOM.Warpper's GetOSName
// against a trivial in-process call (Scripting.Dictionary.Exists).
//   cscript //nologo script_call.js [batches] [batch_ms]
var batches = WScript.Arguments.length > 0 ? parseInt(WScript.Arguments(0), 10) : 11;
var batchMs = WScript.Arguments.length > 1 ? parseInt(WScript.Arguments(1), 10) : 100;
function now() { return new Date().getTime(); }
function median(values) {
  var sorted = values.slice(0).sort(function (a, b) { return a - b; });
  var middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}
// Date ticks in milliseconds: grow a batch until it lasts batchMs, then take the
// median per-call time of several such batches, in microseconds.
function perCallUs(calls) {
  var size = 16, start;
  for (;;) { start = now(); calls(size); if (now() - start >= batchMs) break; size *= 2; }
  var times = [];
  for (var b = 0; b < batches; b++) { start = now(); calls(size); times.push((now() - start) * 1000 / size); }
  return median(times);
}

var warpper = new ActiveXObject("BrelmoxCOM.Warpper");
var start = now();
var text = warpper.GetOSName();  // the first late-bound call loads the type library
var firstMs = now() - start;
if (typeof text != "string" || text.indexOf("Microsoft Windows") != 0) {
  WScript.Echo("script_note GetOSName_FAILED text");
  WScript.Quit(1);
}
var sink = 0;
var getOSName = perCallUs(function (n) { for (var i = 0; i < n; i++) sink += warpper.GetOSName().length; });
var dictionary = new ActiveXObject("Scripting.Dictionary");
dictionary.Add("key", 1);
var trivial = perCallUs(function (n) { for (var i = 0; i < n; i++) if (dictionary.Exists("key")) sink++; });
WScript.Echo("script_first_call_ms " + firstMs + " ms");
WScript.Echo("script_getosname_us " + getOSName.toFixed(2) + " us");
WScript.Echo("script_trivial_call_us " + trivial.toFixed(3) + " us");
