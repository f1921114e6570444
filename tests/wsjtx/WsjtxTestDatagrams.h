// Datagrams as WSJT-X writes them (Qt's own QDataStream), a sender on the
// loopback address, and a bounded wait for the listener to handle them.
#pragma once

#include <QCoreApplication>
#include <QDataStream>
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>
#include <QUdpSocket>
#include <functional>

#include "wsjtx/TWsjtxListener.h"

struct TLoggedQso {
    QString Call = "K1ABC", Grid = "FN42", Mode = "FT8", Sent = "-10", Rcvd = "-12";
    QString Power = "100", Comments = "tnx QSO", Name = "Bob";
    quint64 Hz = 14074000;
    QDateTime On{QDate(2024, 5, 17), QTime(12, 0, 15), Qt::UTC};
    QDateTime Off{QDate(2024, 5, 17), QTime(12, 1, 30), Qt::UTC};
    int Fields = 18;  // 12 and 16: older programs
};

inline QByteArray Datagram(quint32 type, const std::function<void(QDataStream&)>& body) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_4);
    out << quint32(0xadbccbda) << quint32(3) << type << QByteArray("WSJT-X");
    if (body)
        body(out);
    return bytes;
}

inline QByteArray QsoLogged(const TLoggedQso& q) {
    return Datagram(5, [&](QDataStream& out) {
        out << q.Off << q.Call.toUtf8() << q.Grid.toUtf8() << q.Hz << q.Mode.toUtf8()
            << q.Sent.toUtf8() << q.Rcvd.toUtf8() << q.Power.toUtf8() << q.Comments.toUtf8()
            << q.Name.toUtf8() << q.On;
        const QByteArray later[] = {"W9XYZ", "W9XYZ", "EN52", "1", "2", "TR"};
        for (int i = 12; i < q.Fields; ++i) out << later[i - 12];
    });
}

inline QByteArray LoggedAdif(const QByteArray& adif) {
    return Datagram(12, [&](QDataStream& out) { out << adif; });
}

inline void Send(quint16 port, const QByteArray& datagram) {
    QUdpSocket sender;
    sender.writeDatagram(datagram, QHostAddress::LocalHost, port);
}

// A UDP port free on the loopback address when asked.
inline quint16 FreeUdpPort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

// Runs the event loop until the listener has handled `count` datagrams; only
// a hang reaches the bound.
inline bool WaitHandled(TWsjtxListener& listener, int64_t count) {
    QEventLoop loop;
    QObject::connect(&listener, &TWsjtxListener::Handled, &loop, [&] {
        if (listener.Counts().Datagrams >= count)
            loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    if (listener.Counts().Datagrams < count)
        loop.exec();
    return listener.Counts().Datagrams >= count;
}
