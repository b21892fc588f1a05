#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class TokenView;

// Token views that stand side by side over the same rows, as the hex-edit
// layout's dump and its text column: while joined they keep the same rows
// in sight, whichever of them is scrolled, and rows of one height, the
// tallest any of them needs. A view that leaves keeps its place and takes
// its own row height back.
class SharedRows : public QObject {
    Q_OBJECT

public:
    explicit SharedRows(QObject *parent = nullptr);
    ~SharedRows() override;

    // A view that joins scrolls to the rows the others show; joining again
    // only lines the rows up anew.
    void join(TokenView *view);
    void leave(TokenView *view);
    void clear();
    bool contains(const TokenView *view) const;

private:
    struct Member {
        QPointer<TokenView> view;
        QList<QMetaObject::Connection> connections;
    };

    void scrolled(const TokenView *from, qint64 row);
    void lineUp();
    static void release(Member &member);

    QList<Member> members;
};
