// Modbus: a master that polls one run of a device's table over a serial
// port (RTU, ASCII) or TCP (TCP, RTU over TCP), in the manner of Modbus
// Poll. The page's worker thread opens the link, polls at the interval and
// carries out the writes the page queues between polls; it hands the window
// each frame and each outcome in batches, one message waiting in the queue
// at most. A double-clicked value row names the register the next 写入
// writes.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "modbus/master.h"
#include "res/workbench_resource.h"
#include "workbench_window/pages/modbus_page.h"
#include "workbench_window/views/page_view.h"
#include "workbench_window/views/page_worker.h"

class CModbusView : public CPageView {
public:
    enum { IDD = IDD_PAGE_MODBUS };
    explicit CModbusView(CWorkbenchWindow& host);
    ~CModbusView() override;

    void RunEnter() override;
    void StopWork() override;
    bool CancelWork() override;
    void PageShown() override;
    void LoadSettings(const settings::Settings& settings) override;
    void SaveSettings(settings::Settings& settings) override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wparam, LPARAM lparam) override;
    int StatusId() const override { return IDC_MB_STATUS; }
    afx_msg void OnRefresh();
    afx_msg void OnStart();
    afx_msg void OnStop();
    afx_msg void OnClear();
    afx_msg void OnWrite();
    DECLARE_MESSAGE_MAP()

private:
    // What one transaction came to: a poll's, or a write's with its line.
    struct Outcome {
        bool write = false;
        std::string what;  // the write's line
        ModbusTransaction transaction;
    };
    struct Frame {
        ModbusTraceEvent event;
        long long ms_of_day;
    };
    // What the worker and the window share, under `mutex`.
    struct Shared {
        std::mutex mutex;
        std::deque<std::pair<ModbusBytes, std::string>> writes;  // the PDU and its line
        std::vector<Frame> frames;
        std::vector<Outcome> outcomes;
        bool posted = false;  // a kEventsMessage waits in the queue
        std::string status;   // the latest word on the link
    };

    void Work(const modbus_page::Connection& connection, const modbus_page::Poll& poll);
    void PostStatus(const std::string& status);
    void Hand(Frame frame);
    void Hand(Outcome outcome);
    void TakeEvents();
    void ShowValues(const std::vector<modbus_page::ValueRow>& rows);
    void AddTraffic(const std::vector<modbus_page::TrafficRow>& rows);
    void ShowReference();
    void EnableForState();
    void ChooseWriteRow(int row);

    PageWorker worker_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    modbus_page::Poll poll_;  // the poll under way, or the last one
    modbus_page::Counters counters_;
    std::vector<modbus_page::ValueRow> values_;  // the rows shown
    bool poll_failing_ = false;  // the status says why the last poll failed
    bool write_chosen_ = false;
    std::uint16_t write_address_ = 0;
    bool ports_listed_ = false;
};
