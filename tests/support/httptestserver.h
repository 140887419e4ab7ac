#pragma once

// A small HTTP/1.1 server on 127.0.0.1 for tests. It answers every request
// with the one reply it was told to give (or the one given for its path),
// including the broken ones a real network produces. It runs in the test's thread and is served while the code
// under test waits in its own event loop.

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <map>
#include <memory>

class HttpTestServer
{
public:
    enum class Reply {
        Body,            // 200 with Content-Length and the whole body
        NotFound,        // 404 with a small HTML page
        DropMidBody,     // 200 announcing the whole length, then half the body and a close
        NoContentLength, // 200 without Content-Length: the body ends where the connection does
        Silent,          // accepts the connection and never answers
        Drip,            // 200 announcing the whole length, then one byte every 20 ms
        Redirect,        // 302 to the address given as the body
        Deflated,        // 200 with the body as given, said to be deflate-compressed
    };

    HttpTestServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
    }

    bool isListening() const { return m_server.isListening(); }
    void serve(Reply reply, const QByteArray &body = {})
    {
        m_default = {reply, body, m_default.contentType};
    }
    // The reply for one path; contentType goes into the 200 replies' header.
    void serve(const QString &path, Reply reply, const QByteArray &body,
               const QByteArray &contentType = "application/octet-stream")
    {
        m_routes[path.toUtf8()] = {reply, body, contentType};
    }
    QUrl url(const QString &path = QStringLiteral("/download/Loto6Kermon/Loto6Kermon.mdb")) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }
    int requests() const { return m_requests; }
    const QByteArray &lastRequestLine() const { return m_lastRequestLine; }

    // A URL on this machine where nothing listens.
    static QUrl closedPortUrl()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        return QUrl(QStringLiteral("http://127.0.0.1:%1/download/Loto6Kermon/Loto6Kermon.mdb").arg(port));
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            auto received = std::make_shared<QByteArray>();
            auto answered = std::make_shared<bool>(false);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received, answered] {
                received->append(socket->readAll());
                if (*answered || !received->contains("\r\n\r\n"))
                    return;
                *answered = true;
                ++m_requests;
                m_lastRequestLine = received->left(received->indexOf("\r\n"));
                const QByteArray path = m_lastRequestLine.split(' ').value(1);
                const auto route = m_routes.find(path);
                respond(socket, route == m_routes.end() ? m_default : route->second);
            });
        }
    }

    struct Answer
    {
        Reply reply = Reply::NotFound;
        QByteArray body;
        QByteArray contentType = "application/octet-stream";
    };

    void respond(QTcpSocket *socket, const Answer &answer)
    {
        const QByteArray &body = answer.body;
        const QByteArray length = QByteArray::number(body.size());
        const QByteArray type = "Content-Type: " + answer.contentType + "\r\n";
        switch (answer.reply) {
        case Reply::Body:
            socket->write("HTTP/1.1 200 OK\r\n" + type + "Content-Length: " + length
                          + "\r\nConnection: close\r\n\r\n" + body);
            break;
        case Reply::Redirect:
            socket->write("HTTP/1.1 302 Found\r\nLocation: " + body
                          + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            break;
        case Reply::NotFound: {
            const QByteArray page = "<html><body><h1>404 Not Found</h1></body></html>";
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: "
                          + QByteArray::number(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
            break;
        }
        case Reply::DropMidBody:
            socket->write("HTTP/1.1 200 OK\r\n" + type + "Content-Length: " + length
                          + "\r\nConnection: close\r\n\r\n" + body.left(body.size() / 2));
            break;
        case Reply::Deflated:
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Encoding: deflate\r\n"
                          "Content-Length: " + length + "\r\nConnection: close\r\n\r\n" + body);
            break;
        case Reply::NoContentLength:
            socket->write("HTTP/1.1 200 OK\r\n" + type + "Connection: close\r\n\r\n" + body);
            break;
        case Reply::Silent:
            return;
        case Reply::Drip: {
            socket->write("HTTP/1.1 200 OK\r\n" + type + "Content-Length: " + length
                          + "\r\nConnection: close\r\n\r\n");
            auto *timer = new QTimer(socket);
            auto sent = std::make_shared<qsizetype>(0);
            QObject::connect(timer, &QTimer::timeout, socket, [socket, sent, body] {
                if (*sent < body.size())
                    socket->write(body.mid((*sent)++, 1));
            });
            timer->start(20);
            return;
        }
        }
        // Closes once everything written has gone out.
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    Answer m_default;
    std::map<QByteArray, Answer> m_routes;
    int m_requests = 0;
    QByteArray m_lastRequestLine;
};
