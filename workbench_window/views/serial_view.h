// 串口助手: a serial port or a TCP connection (client or server) opened on
// the page, frames sent with their check appended and received ones cut by
// silence and verified, one row each. The link is read on the page's worker
// thread, which hands the window its rows in batches: one message waits in
// the queue at most, however fast the bytes come.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/link.h"
#include "res/workbench_resource.h"
#include "workbench_window/pages/serial_page.h"
#include "workbench_window/views/link_page_view.h"

class CSerialView : public CLinkPageView {
public:
    enum { IDD = IDD_PAGE_SERIAL };
    explicit CSerialView(CWorkbenchWindow& host);
    ~CSerialView() override;

    void LoadSettings(const settings::Settings& settings) override;
    void SaveSettings(settings::Settings& settings) override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wparam, LPARAM lparam) override;
    int StatusId() const override { return IDC_SER_STATUS; }
    void OpenLink() override { OnOpen(); }
    void ActOnLink() override { OnSend(); }
    void ListPorts() override { OnRefresh(); }
    void TakeEvents() override;
    void EnableForState() override;
    void LinkEnded() override;
    afx_msg void OnMode();
    afx_msg void OnRefresh();
    afx_msg void OnOpen();
    afx_msg void OnClose();
    afx_msg void OnSend();
    afx_msg void OnTimed();
    afx_msg void OnCheckChanged();
    afx_msg void OnPause();
    afx_msg void OnClear();
    afx_msg void OnSave();
    afx_msg void OnToFind();
    afx_msg void OnToFrame();
    afx_msg void OnToNumbers();
    DECLARE_MESSAGE_MAP()

private:
    // What the worker and the window share, under `mutex`.
    struct Event {
        serial_page::Direction direction;
        LinkFrame frame;
        long long ms_of_day;
    };
    struct Shared {
        std::mutex mutex;
        std::deque<LinkBytes> to_send;
        std::vector<Event> events;
        bool rows_posted = false;  // a kRows message waits in the queue
        bool connected = false;
    };
    // What the worker opens: a port, a peer or a listening port.
    struct Target {
        int mode = 0;  // 0 serial, 1 TCP client, 2 TCP server
        std::string port;
        SerialSettings settings;
        std::string host, tcp_port;
        int gap_ms = 20;
    };

    void Work(const Target& target);
    void Pump(Link& link, Shared& shared, int gap_ms);
    void ShowCounters();
    bool ReadCheckChoice(std::string& error);
    void SendFrame(const LinkBytes& frame);
    void AddHistory(const LinkBytes& frame);
    std::vector<LinkBytes> SelectedFrames() const;
    void DefaultGap();
    // The mode chosen (Target::mode's numbers) and the port named.
    int Mode() const;
    std::string PortName() const;

    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    serial_page::Session session_;
    std::deque<LinkBytes> shown_;  // the bytes of the list's rows, in its order
    std::deque<LinkBytes> history_;
    std::optional<LinkCheck> check_;
    std::string model_;
    bool timer_ = false;
};
