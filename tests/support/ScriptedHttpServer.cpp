#include "ScriptedHttpServer.h"
#include <algorithm>
#include <cstdio>
#include "LoopbackSocket.h"

namespace {

SOCKET ListenOnLoopback(int& port)
{
    uint16_t bound = 0;
    SOCKET s = BindLoopback(SOCK_STREAM, bound);
    port = bound;
    return s;
}

bool SendAll(SOCKET s, const char* data, size_t length)
{
    while (length > 0) {
        int sent = send(s, data, static_cast<int>(std::min<size_t>(length, 65536)), 0);
        if (sent <= 0)
            return false;
        data += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

std::string HeaderValue(const std::string& head, const std::string& name)
{
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    std::string key = "\r\n" + name + ":";
    size_t at = lower.find(key);
    if (at == std::string::npos)
        return {};
    size_t start = head.find_first_not_of(' ', at + key.size());
    size_t end = head.find("\r\n", start);
    return head.substr(start, end - start);
}

const char* Reason(int status)
{
    switch (status) {
    case 100: return "Continue";
    case 103: return "Early Hints";
    case 200: return "OK";
    case 206: return "Partial Content";
    case 302: return "Found";
    case 404: return "Not Found";
    default: return "Status";
    }
}

std::string StatusLine(int status)
{
    char line[128];
    snprintf(line, sizeof(line), "HTTP/1.1 %d %s\r\n", status, Reason(status));
    return line;
}

} // namespace

ScriptedHttpServer::ScriptedHttpServer(Handler handler)
    : m_handler(std::move(handler)), m_stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    m_listen = ListenOnLoopback(m_port);
    listen(m_listen, 64);
    m_acceptThread = std::thread(&ScriptedHttpServer::AcceptLoop, this);
}

ScriptedHttpServer::~ScriptedHttpServer()
{
    m_stopping = true;
    SetEvent(m_stopEvent);
    closesocket(m_listen);
    m_acceptThread.join();
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (SOCKET s : m_clients)
            shutdown(s, SD_BOTH);
    }
    for (auto& t : m_threads)
        t.join();
    CloseHandle(m_stopEvent);
}

int ScriptedHttpServer::RefusingPort()
{
    int port = 0;
    closesocket(ListenOnLoopback(port));
    return port;
}

std::wstring ScriptedHttpServer::Url(const std::string& path) const
{
    wchar_t text[256];
    swprintf(text, 256, L"http://127.0.0.1:%d%hs", m_port, path.c_str());
    return text;
}

std::vector<RecordedRequest> ScriptedHttpServer::Requests()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests;
}

size_t ScriptedHttpServer::RequestCount()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_requests.size();
}

void ScriptedHttpServer::AcceptLoop()
{
    while (!m_stopping) {
        SOCKET client = accept(m_listen, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        std::lock_guard<std::mutex> lock(m_lock);
        m_clients.push_back(client);
        m_threads.emplace_back(&ScriptedHttpServer::Serve, this, client);
    }
}

void ScriptedHttpServer::Serve(SOCKET client)
{
    RecordedRequest request;
    if (ReadRequest(client, request)) {
        int index;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            index = static_cast<int>(m_requests.size());
            m_requests.push_back(request);
        }
        Answer(client, m_handler(request, index));
    }
    shutdown(client, SD_SEND);
    closesocket(client);
}

bool ScriptedHttpServer::ReadRequest(SOCKET client, RecordedRequest& request)
{
    std::string data;
    char buffer[4096];
    size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0)
            return false;
        data.append(buffer, static_cast<size_t>(got));
    }
    std::string head = data.substr(0, headEnd + 2);
    size_t space1 = head.find(' '), space2 = head.find(' ', space1 + 1);
    request.method = head.substr(0, space1);
    request.path = head.substr(space1 + 1, space2 - space1 - 1);
    request.range = HeaderValue(head, "range");
    request.tick = GetTickCount();
    size_t length = static_cast<size_t>(atoll(HeaderValue(head, "content-length").c_str()));
    request.body = data.substr(headEnd + 4);
    while (request.body.size() < length) {
        int got = recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0)
            return false;
        request.body.append(buffer, static_cast<size_t>(got));
    }
    return true;
}

bool ScriptedHttpServer::Wait(int ms) { return WaitForSingleObject(m_stopEvent, static_cast<DWORD>(ms)) == WAIT_TIMEOUT; }

void ScriptedHttpServer::Answer(SOCKET client, const ScriptedResponse& response)
{
    if (response.release) {
        HANDLE events[] = {response.release, m_stopEvent};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0)
            return;
    }
    if (response.delayMs && !Wait(response.delayMs))
        return;
    std::string head;
    if (response.interimStatus)
        head = StatusLine(response.interimStatus) + "X-Interim: 1\r\n\r\n";
    head += StatusLine(response.status);
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    if (response.headerFlood) {
        SendAll(client, head.data(), head.size());
        SendHeaderFlood(client, response.headerFlood);
        return;
    }
    if (response.chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else if (response.contentLength)
        head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (SendAll(client, head.data(), head.size()))
        SendBody(client, response);
}

bool ScriptedHttpServer::SendHeaderFlood(SOCKET client, size_t bytes)
{
    std::string lines;
    for (size_t n = 0, sent = 0; sent < bytes; ++n) {
        lines += "X-Flood-" + std::to_string(n) + ": " + std::string(40, 'f') + "\r\n";
        if (lines.size() < 65536)
            continue;
        if (!SendAll(client, lines.data(), lines.size()))
            return false;
        sent += lines.size();
        lines.clear();
    }
    return true;
}

bool ScriptedHttpServer::SendBody(SOCKET client, const ScriptedResponse& response)
{
    size_t limit = std::min({response.body.size(), response.closeAfter, response.stallAfter});
    size_t step = response.burstBytes ? response.burstBytes : std::max<size_t>(limit, 1);
    for (size_t sent = 0; sent < limit; sent += step) {
        size_t n = std::min(step, limit - sent);
        std::string piece = response.body.substr(sent, n);
        if (response.chunked) {
            char size[32];
            snprintf(size, sizeof(size), "%zx\r\n", n);
            piece = size + piece + "\r\n";
        }
        if (!SendAll(client, piece.data(), piece.size()))
            return false;
        if (response.burstDelayMs && sent + n < limit && !Wait(response.burstDelayMs))
            return false;
    }
    if (response.stallAfter != ScriptedResponse::kWhole) {
        Wait(INFINITE);
        return false;
    }
    if (response.closeAfter != ScriptedResponse::kWhole)
        return false;
    if (response.chunked)
        return SendAll(client, "0\r\n\r\n", 5);
    return true;
}
