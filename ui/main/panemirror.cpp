#include "panemirror.h"

#include "bytedocument.h"
#include "bytepane.h"
#include "debouncer.h"

#include <QTextDocument>

namespace {

// Taking the pane's bytes costs a pass over the whole document (about 4 ms
// per MiB, 0.27 s for 64 MiB), so it waits for a pause in the typing, and
// comes at most twice a minute while the typing goes on.
constexpr int quietMs = 1000;
constexpr int longestMs = 30000;

} // namespace

PaneMirror::PaneMirror(BytePane *bytePane, QObject *parent)
    : QObject(parent), pane(bytePane), mirror(new ByteDocument(this)),
      pending(new Debouncer(quietMs, longestMs, this)) {
    connect(pane, &QPlainTextEdit::textChanged, this, [this] {
        changed = true;
        pending->poke();
    });
    connect(pending, &Debouncer::fired, this, &PaneMirror::sync);
    // Undone back to what was saved: the copy goes at once.
    connect(pane->document(), &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (!modified)
            sync();
    });
}

void PaneMirror::sync() {
    pending->cancel();
    if (pane->document()->isModified()) {
        if (changed)
            mirror->loadUnsaved(pane->bytes());
    } else if (mirror->isModified()) {
        mirror->load(pane->bytes());
    }
    changed = false;
}

void PaneMirror::loaded(const ByteText &bytes) {
    pending->cancel();
    changed = false;
    pane->document()->setModified(false);
    mirror->load(bytes);
}

void PaneMirror::restored() {
    pending->cancel();
    changed = false;
    pane->document()->setModified(true);
}

void PaneMirror::saved() {
    pane->document()->setModified(false);
    sync();
}
