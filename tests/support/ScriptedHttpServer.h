#pragma once
// An HTTP/1.1 server on 127.0.0.1 and a free port, run on threads of the
// test process. Each test scripts the answer to every request (status,
// headers, body, chunking, delays, bursts, a connection dropped or left
// silent mid-body) and reads back what it was asked. Every answer closes its
// connection. The destructor stops everything, silent connections included.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct RecordedRequest {
    std::string method;
    std::string path;
    std::string range; // value of the Range header, empty when absent
    std::string body;
    DWORD tick = 0;
};

struct ScriptedResponse {
    static constexpr size_t kWhole = static_cast<size_t>(-1);

    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    bool contentLength = true; // announce the body's length (when not chunked)
    bool chunked = false;
    int delayMs = 0;              // wait before answering
    int interimStatus = 0;        // a 1xx reply (one header line of its own) sent first
    size_t closeAfter = kWhole;   // drop the connection after this many body bytes
    size_t stallAfter = kWhole;   // send this many body bytes, then go silent
    size_t burstBytes = 0;        // send the body in bursts of this size ...
    int burstDelayMs = 0;         // ... this far apart
    HANDLE release = nullptr;     // answer only once this event is set
    size_t headerFlood = 0;       // this many bytes of header lines, no two alike, and no end

    static ScriptedResponse Text(int status, std::string body)
    {
        ScriptedResponse r;
        r.status = status;
        r.body = std::move(body);
        return r;
    }
    // The resource `full`, answering an open-ended "bytes=N-" range with 206
    // and the rest of it (unless ranges are ignored: then 200 and all).
    static ScriptedResponse Ranged(const std::string& full, const RecordedRequest& request, bool honourRange = true)
    {
        size_t from = 0;
        if (honourRange && request.range.rfind("bytes=", 0) == 0)
            from = static_cast<size_t>(atoll(request.range.c_str() + 6));
        if (from == 0 || from > full.size())
            return Text(200, full);
        ScriptedResponse r = Text(206, full.substr(from));
        r.headers.push_back({"Content-Range", "bytes " + std::to_string(from) + "-" + std::to_string(full.size() - 1) +
                                                  "/" + std::to_string(full.size())});
        return r;
    }
    static ScriptedResponse Redirect(const std::string& location)
    {
        ScriptedResponse r;
        r.status = 302;
        r.headers.push_back({"Location", location});
        return r;
    }
};

class ScriptedHttpServer {
public:
    using Handler = std::function<ScriptedResponse(const RecordedRequest&, int index)>;

    explicit ScriptedHttpServer(Handler handler);
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    int Port() const { return m_port; }
    std::wstring Url(const std::string& path) const;
    std::vector<RecordedRequest> Requests();
    size_t RequestCount();

    // A loopback port with nothing listening: connections are refused.
    static int RefusingPort();
    static std::wstring RefusingUrl() { return L"http://127.0.0.1:" + std::to_wstring(RefusingPort()) + L"/pkg.exe"; }

private:
    void AcceptLoop();
    void Serve(SOCKET client);
    bool ReadRequest(SOCKET client, RecordedRequest& request);
    void Answer(SOCKET client, const ScriptedResponse& response);
    static bool SendHeaderFlood(SOCKET client, size_t bytes);
    bool SendBody(SOCKET client, const ScriptedResponse& response);
    bool Wait(int ms);

    Handler m_handler;
    SOCKET m_listen = INVALID_SOCKET;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    HANDLE m_stopEvent;
    std::mutex m_lock;
    std::vector<RecordedRequest> m_requests;
    std::vector<SOCKET> m_clients;
    std::vector<std::thread> m_threads;
    std::thread m_acceptThread;
};
