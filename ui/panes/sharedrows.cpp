#include "sharedrows.h"

#include "tokenview.h"

#include <algorithm>

SharedRows::SharedRows(QObject *parent) : QObject(parent) {}

SharedRows::~SharedRows() {
    for (Member &member : members)
        release(member);
}

bool SharedRows::contains(const TokenView *view) const {
    return std::any_of(members.begin(), members.end(),
                       [view](const Member &member) { return member.view == view; });
}

void SharedRows::join(TokenView *view) {
    if (!contains(view)) {
        if (!members.isEmpty() && members.front().view)
            view->scrollToRow(members.front().view->firstRowInSight());
        members.append({view,
                        {connect(view, &PaneView::firstRowChanged, this,
                                 [this, view](qint64 row) { scrolled(view, row); }),
                         connect(view, &TokenView::layoutChanged, this, &SharedRows::lineUp)}});
    }
    lineUp();
}

void SharedRows::leave(TokenView *view) {
    for (qsizetype i = 0; i < members.size(); ++i) {
        if (members[i].view == view || !members[i].view) {
            release(members[i]);
            members.removeAt(i--);
        }
    }
    lineUp();
}

void SharedRows::clear() {
    for (Member &member : members)
        release(member);
    members.clear();
}

void SharedRows::release(Member &member) {
    for (const QMetaObject::Connection &connection : std::as_const(member.connections))
        disconnect(connection);
    if (member.view)
        member.view->setMinimumRowHeight(0);
}

void SharedRows::scrolled(const TokenView *from, qint64 row) {
    for (const Member &member : std::as_const(members))
        if (member.view && member.view != from)
            member.view->scrollToRow(row);
}

// A view alone keeps its own rows.
void SharedRows::lineUp() {
    int height = 0;
    if (members.size() > 1)
        for (const Member &member : std::as_const(members))
            if (member.view)
                height = std::max(height, member.view->naturalRowHeight());
    for (const Member &member : std::as_const(members))
        if (member.view)
            member.view->setMinimumRowHeight(height);
}
