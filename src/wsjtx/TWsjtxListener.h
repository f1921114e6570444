// Listens on a loopback UDP port for the messages of WSJT-X and its kin and
// hands each logged contact to the sink. Datagrams are handled one by one on
// the thread that owns the listener; a flood costs only their decoding (the
// system drops what the socket's buffer cannot hold).
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

#include "wsjtx/IContactSink.h"

class QTimer;
class QUdpSocket;

class TWsjtxListener : public QObject {
    Q_OBJECT

public:
    struct TCounts {
        int64_t Datagrams = 0;
        int64_t Stored = 0;
        int64_t Duplicates = 0;
        int64_t Rejected = 0;  // contacts the log would not take
        int64_t Ignored = 0;   // other message types
        int64_t Malformed = 0;
    };

    explicit TWsjtxListener(IContactSink& sink, QObject* parent = nullptr);
    ~TWsjtxListener() override;

    // Binds 127.0.0.1:port (0: stops listening); false, with the reason in
    // Error, when the port is taken.
    bool Listen(uint16_t port);
    void Stop();
    uint16_t Port() const;
    const TCounts& Counts() const { return counts_; }
    QString Error;

    // Handles one datagram as if it had arrived.
    void Handle(const QByteArray& datagram);

    // Whether the log can take a contact now (unset: always). While it
    // cannot, datagrams wait in the socket and are looked at again shortly.
    std::function<bool()> Ready;

signals:
    // After every datagram handled.
    void Handled();
    // Datagrams arrived while the log was not ready; they wait.
    void Held();

private:
    void ReadPending();

    IContactSink& sink_;
    QUdpSocket* socket_ = nullptr;
    QTimer* hold_ = nullptr;
    TCounts counts_;
};
