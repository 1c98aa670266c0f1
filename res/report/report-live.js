// A live report (the program rewrites it while the line runs): every few
// seconds the page loads js/reportScope.js again, as a script (a page opened
// from a file may not fetch files), and when its "made" time has changed the
// page reloads itself with its state in the URL fragment.
(function(window, document) {
'use strict';

// Loads the scope script once more and gives its made time to done (null
// when it could not be loaded, for instance while it is being replaced). The
// page's own reportScope is left as it was.
function probeMade(done) {
    var had = Object.prototype.hasOwnProperty.call(window, 'reportScope');
    var saved = window.reportScope;
    var script = document.createElement('script');
    script.charset = 'ISO-8859-1';
    // A new address each time, so that no cached copy answers.
    script.src = 'js/reportScope.js?live=' + Date.now();
    function finish(made) {
        if (had) {
            window.reportScope = saved;
        } else {
            delete window.reportScope;
        }
        script.parentNode.removeChild(script);
        done(made);
    }
    script.onload = function() {
        var fresh = window.reportScope;
        finish(fresh && typeof fresh.made === 'string' ? fresh.made : null);
    };
    script.onerror = function() { finish(null); };
    document.head.appendChild(script);
}

// Every seconds, looks for a report made after made; calls reload() when
// there is one (or when stale() says the page shows scripts of different
// reports, caught while they were being replaced). report(text) is told when
// the page last looked.
function start(made, seconds, hooks) {
    function look() {
        probeMade(function(newMade) {
            if ((newMade !== null && newMade !== made) || hooks.stale()) {
                hooks.reload();
                return;
            }
            hooks.report(new Date());
            window.setTimeout(look, seconds * 1000);
        });
    }
    window.setTimeout(look, seconds * 1000);
}

window.qzReportLive = {
    start: start,
    probeMade: probeMade
};
})(window, document);
