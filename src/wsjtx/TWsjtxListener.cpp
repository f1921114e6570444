#include "wsjtx/TWsjtxListener.h"

#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>

#include "wsjtx/TWsjtxDecoder.h"

namespace {

// How soon datagrams held for a busy log are looked at again.
constexpr int kHoldMs = 250;

}  // namespace

TWsjtxListener::TWsjtxListener(IContactSink& sink, QObject* parent)
    : QObject(parent), sink_(sink), hold_(new QTimer(this)) {
    hold_->setSingleShot(true);
    hold_->setInterval(kHoldMs);
    connect(hold_, &QTimer::timeout, this, &TWsjtxListener::ReadPending);
}

TWsjtxListener::~TWsjtxListener() = default;

bool TWsjtxListener::Listen(uint16_t port) {
    Stop();
    Error.clear();
    if (port == 0)
        return true;
    socket_ = new QUdpSocket(this);
    if (!socket_->bind(QHostAddress::LocalHost, port)) {
        Error = socket_->errorString();
        Stop();
        return false;
    }
    connect(socket_, &QUdpSocket::readyRead, this, &TWsjtxListener::ReadPending);
    return true;
}

void TWsjtxListener::Stop() {
    delete socket_;
    socket_ = nullptr;
}

uint16_t TWsjtxListener::Port() const {
    return socket_ != nullptr ? socket_->localPort() : 0;
}

void TWsjtxListener::ReadPending() {
    if (socket_ != nullptr && socket_->hasPendingDatagrams() && Ready && !Ready()) {
        hold_->start();
        emit Held();
        return;
    }
    while (socket_ != nullptr && socket_->hasPendingDatagrams())
        Handle(socket_->receiveDatagram().data());
}

void TWsjtxListener::Handle(const QByteArray& datagram) {
    ++counts_.Datagrams;
    TWsjtxContact contact;
    switch (TWsjtxDecoder::Decode(reinterpret_cast<const uint8_t*>(datagram.constData()),
                                  static_cast<size_t>(datagram.size()), contact)) {
        case TWsjtxDecoder::TResult::kMalformed:
            ++counts_.Malformed;
            break;
        case TWsjtxDecoder::TResult::kIgnored:
            ++counts_.Ignored;
            break;
        case TWsjtxDecoder::TResult::kContact:
            switch (sink_.Store(contact)) {
                case IContactSink::TOutcome::kStored:
                    ++counts_.Stored;
                    break;
                case IContactSink::TOutcome::kDuplicate:
                    ++counts_.Duplicates;
                    break;
                case IContactSink::TOutcome::kRejected:
                    ++counts_.Rejected;
                    break;
            }
            break;
    }
    emit Handled();
}
