// Modbus: a master that polls runs of devices' tables over a serial port
// (RTU, ASCII) or TCP (TCP, RTU over TCP), in the manner of Modbus Poll: the
// fields' one poll, or every poll of the list, each at its own interval.
// The page's worker thread opens the link, polls and carries out the writes
// the page queues between polls; it hands the window each frame and each
// outcome in batches, one message waiting in the queue at most. A
// double-clicked value row names the register the next 写入 writes.
// In the simulator mode the page is the device: it serves a map file on
// the serial port or to TCP clients, logs each request, shows the run the
// fields name as the masters read it, and 写入 sets a value there.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "modbus/master.h"
#include "modbus/slave.h"
#include "res/workbench_resource.h"
#include "workbench_window/pages/modbus_page.h"
#include "workbench_window/views/link_page_view.h"

class CModbusView : public CLinkPageView {
public:
    enum { IDD = IDD_PAGE_MODBUS };
    explicit CModbusView(CWorkbenchWindow& host);
    ~CModbusView() override;

    void LoadSettings(const settings::Settings& settings) override;
    void SaveSettings(settings::Settings& settings) override;
    LRESULT WindowProc(UINT message, WPARAM wparam, LPARAM lparam) override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WPARAM wparam, LPARAM lparam) override;
    int StatusId() const override { return IDC_MB_STATUS; }
    void OpenLink() override { OnStart(); }
    void ActOnLink() override { OnWrite(); }
    void ListPorts() override { OnRefresh(); }
    void TakeEvents() override;
    void EnableForState() override;
    afx_msg void OnRefresh();
    afx_msg void OnStart();
    afx_msg void OnStop();
    afx_msg void OnClear();
    afx_msg void OnWrite();
    afx_msg void OnBrowse();
    afx_msg void OnAddPoll();
    afx_msg void OnRemovePoll();
    DECLARE_MESSAGE_MAP()

private:
    // What one transaction came to: a poll's, or a write's with its line.
    struct Outcome {
        bool write = false;
        int poll = 0;      // a poll's index in the polls under way
        std::string what;  // the write's line
        ModbusTransaction transaction;
    };
    struct Frame {
        ModbusTraceEvent event;
        long long ms_of_day;
    };
    // A request the simulator served, and the TCP client it came from (0 on
    // a serial line).
    struct Served {
        ModbusSlaveEvent event;
        long long ms_of_day;
        int client;
    };
    // The simulated device: the worker serves it, the window reads and sets
    // it through the slave's lock.
    struct Device {
        ModbusDataModel model;
        std::unique_ptr<ModbusSlave> slave;
    };
    struct Write {
        ModbusBytes pdu;
        std::string what;  // its line
        unsigned char unit = 1;
    };
    // What the worker and the window share, under `mutex`.
    struct Shared {
        std::mutex mutex;
        std::deque<Write> writes;
        std::vector<Frame> frames;
        std::vector<Outcome> outcomes;
        std::vector<Served> served;
        bool posted = false;  // a kEventsMessage waits in the queue
    };

    void Work(const modbus_page::Connection& connection, const std::vector<modbus_page::Poll>& polls);
    void Serve(const modbus_page::Connection& connection, std::shared_ptr<Device> device);
    void StartSimulator(const modbus_page::Connection& connection);
    bool Simulating() const;
    void ShowMode();
    void ShowPolls();
    void ShowDeviceValues();
    void PostEventsLocked();
    void Hand(Frame frame);
    void Hand(Outcome outcome);
    void Hand(Served served);
    void ShowValues(const std::vector<modbus_page::ValueRow>& rows);
    void AddTraffic(const std::vector<modbus_page::TrafficRow>& rows);
    void ShowReference();
    void ChooseWriteRow(int row);

    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    std::vector<modbus_page::Poll> polls_;   // the list
    std::vector<modbus_page::Poll> polling_;  // the polls under way, or the last ones
    modbus_page::Poll poll_;                  // the fields' poll; the simulator's run shown
    std::shared_ptr<Device> device_;          // the simulator's, while it serves
    modbus_page::Counters counters_;
    std::vector<std::vector<modbus_page::ValueRow>> poll_rows_;  // each poll's last answer
    std::vector<modbus_page::ValueRow> values_;  // the rows shown
    bool poll_failing_ = false;  // the status says why the last poll failed
    bool write_chosen_ = false;
    std::uint16_t write_address_ = 0;
    int write_poll_ = 1;
};
