#include "workbench_window/views/modbus_view.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings

#include <algorithm>
#include <cstdio>
#include <functional>

#include "fw/win32/controls.h"
#include "link/link.h"
#include "workbench_window/pages/serial_page.h"
#include "workbench_window/pages/settings.h"
#include "workbench_window/window_text.h"
#include "workbench_window/workbench_window.h"

namespace {

// Posted by the worker: frames and outcomes wait in the shared queue (at
// most one such message is in the window's queue).
constexpr UINT kEventsMessage = WM_APP + 30;

// The traffic list keeps this many rows; the oldest go, a block at a time,
// beyond it.
constexpr int kTrafficRows = 10000;
constexpr int kTrafficDropBlock = 1000;
constexpr int kTrafficColumns = 4;  // time, direction, verdict, hex
constexpr int kValueColumns = 5;    // address, reference, raw, value, poll
// The room a list view leaves about a cell's text, in pixels.
constexpr int kCellMargins = 16;
// How long the worker rests between looks at its queue while it waits for
// the next poll: a write waits no longer than this to go out.
constexpr DWORD kIdleSliceMs = 10;

}  // namespace

BEGIN_MESSAGE_MAP(CModbusView, CLinkPageView)
    ON_COMMAND(IDC_MB_REFRESH, OnRefresh)
    ON_COMMAND(IDC_MB_START, OnStart)
    ON_COMMAND(IDC_MB_STOP, OnStop)
    ON_COMMAND(IDC_MB_CLEAR, OnClear)
    ON_COMMAND(IDC_MB_WRITE, OnWrite)
    ON_COMMAND(IDC_MB_BROWSE, OnBrowse)
    ON_COMMAND(IDC_MB_ADD, OnAddPoll)
    ON_COMMAND(IDC_MB_REMOVE, OnRemovePoll)
END_MESSAGE_MAP()

CModbusView::CModbusView(CWorkbenchWindow& host) : CLinkPageView(IDD, host) {}

// The worker reads the page's members until its end.
CModbusView::~CModbusView() { worker_.Stop(); }

BOOL CModbusView::OnInitDialog() {
    CLinkPageView::OnInitDialog();
    FollowSize({
        {IDC_MB_POLLS, kStretchX},
        {IDC_MB_VALUES, kStretchY},
        {IDC_MB_TRAFFIC, kStretchX | kStretchY},
        {IDC_MB_WRITE_REF, kMoveY},
        {IDC_MB_LABEL_FIRST + 16, kMoveY},  // 写入值：
        {IDC_MB_WRITE_VALUE, kMoveY},
        {IDC_MB_WRITE, kMoveY},
        {IDC_MB_COUNTERS, kStretchX | kMoveY},
        {IDC_MB_STATUS, kStretchX | kMoveY},
    });
    for (const std::string& framing : modbus_page::FramingChoices()) AddWideString(Item(IDC_MB_FRAMING), framing);
    for (const std::string& baud : serial_page::BaudChoices()) AddWideString(Item(IDC_MB_BAUD), baud);
    for (const std::string& table : modbus_page::TableChoices()) AddWideString(Item(IDC_MB_TABLE), table);
    for (const std::string& format : modbus_page::FormatChoices()) AddWideString(Item(IDC_MB_FORMAT), format);
    for (const char* mode : {"主站轮询", "从站模拟"}) AddWideString(Item(IDC_MB_MODE), mode);
    CListCtrl polls(Item(IDC_MB_POLLS));
    polls.SetTableStyle();
    polls.SetColumns({AfxUtf8ToGbk("序号"), AfxUtf8ToGbk("轮询")}, {24, 380});
    // The defaults are the settings' own.
    LoadSettings(settings::Settings());

    CListCtrl values(Item(IDC_MB_VALUES));
    values.SetTableStyle();
    values.SetColumns({AfxUtf8ToGbk("地址"), AfxUtf8ToGbk("引用"), AfxUtf8ToGbk("原始值"), AfxUtf8ToGbk("数值"),
                       AfxUtf8ToGbk("轮询")},
                      {28, 30, 50, 60, 24});
    CListCtrl traffic(Item(IDC_MB_TRAFFIC));
    traffic.SetTableStyle();
    traffic.SetColumns({AfxUtf8ToGbk("时间"), AfxUtf8ToGbk("方向"), AfxUtf8ToGbk("校验"), AfxUtf8ToGbk("十六进制")},
                       {56, 24, 70, 140});
    SetText(IDC_MB_COUNTERS, modbus_page::CountersText(counters_));
    return FALSE;
}

BOOL CModbusView::OnCommand(WPARAM wparam, LPARAM lparam) {
    const int id = LOWORD(wparam), code = HIWORD(wparam);
    if ((id == IDC_MB_ADDRESS && code == EN_CHANGE) || (id == IDC_MB_TABLE && code == CBN_SELCHANGE)) ShowReference();
    if (id == IDC_MB_BAUD && code == CBN_SELCHANGE) {
        const int at = Selection(Item(IDC_MB_BAUD));
        if (at >= 0) SetText(IDC_MB_BAUD, serial_page::BaudChoices()[static_cast<size_t>(at)]);
    }
    if (id == IDC_MB_MODE && code == CBN_SELCHANGE) ShowMode();
    if (id == IDC_MB_FORMAT && code == CBN_SELCHANGE) {
        const int at = Selection(Item(IDC_MB_FORMAT));
        if (at >= 0) SetText(IDC_MB_FORMAT, modbus_page::FormatChoices()[static_cast<size_t>(at)]);
    }
    return CLinkPageView::OnCommand(wparam, lparam);
}

LRESULT CModbusView::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case kEventsMessage:
            TakeEvents();
            return 0;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->idFrom == IDC_MB_VALUES && header->code == NM_DBLCLK) {
                ChooseWriteRow(reinterpret_cast<const NMITEMACTIVATE*>(lparam)->iItem);
                return 0;
            }
            // A poll clicked in the list comes back into the fields, to be
            // changed and added again.
            if (header->idFrom == IDC_MB_POLLS && header->code == NM_CLICK && !worker_.Running()) {
                const int row = reinterpret_cast<const NMITEMACTIVATE*>(lparam)->iItem;
                if (row >= 0 && static_cast<size_t>(row) < polls_.size()) {
                    const modbus_page::Poll& poll = polls_[static_cast<size_t>(row)];
                    SetText(IDC_MB_UNIT, std::to_string(poll.unit));
                    ::SendMessageW(Item(IDC_MB_TABLE), CB_SETCURSEL, modbus_page::TableIndex(poll.table), 0);
                    SetText(IDC_MB_ADDRESS, std::to_string(poll.address));
                    SetText(IDC_MB_COUNT, std::to_string(poll.count));
                    SetText(IDC_MB_INTERVAL, std::to_string(poll.interval_ms));
                    if (!poll.bits()) SetText(IDC_MB_FORMAT, poll.type + " " + poll.order);
                    ShowReference();
                }
                return 0;
            }
            break;
        }
        default:
            break;
    }
    return CLinkPageView::WindowProc(message, wparam, lparam);
}

void CModbusView::LoadSettings(const settings::Settings& all) {
    const settings::ModbusSettings& s = all.modbus;
    ::SendMessageW(Item(IDC_MB_FRAMING), CB_SETCURSEL, static_cast<WPARAM>(s.framing), 0);
    SetText(IDC_MB_PORT, s.port);
    SetText(IDC_MB_BAUD, s.baud);
    SetText(IDC_MB_WORD, s.word);
    SetText(IDC_MB_HOST, s.host);
    SetText(IDC_MB_TIMEOUT, s.timeout);
    SetText(IDC_MB_UNIT, s.unit);
    ::SendMessageW(Item(IDC_MB_TABLE), CB_SETCURSEL, static_cast<WPARAM>(s.table), 0);
    SetText(IDC_MB_ADDRESS, s.address);
    SetText(IDC_MB_COUNT, s.count);
    SetText(IDC_MB_INTERVAL, s.interval);
    SetText(IDC_MB_FORMAT, s.format);
    ::SendMessageW(Item(IDC_MB_MODE), CB_SETCURSEL, static_cast<WPARAM>(s.mode), 0);
    SetText(IDC_MB_MAP, s.map);
    polls_.clear();
    for (const std::string& line : s.polls) {
        modbus_page::Poll poll;
        std::string error;
        if (modbus_page::ReadPollLine(line, poll, error)) polls_.push_back(poll);
    }
    ShowPolls();
    ShowReference();
    ShowMode();
}

void CModbusView::SaveSettings(settings::Settings& all) {
    settings::ModbusSettings& s = all.modbus;
    s.framing = std::max(0, Selection(Item(IDC_MB_FRAMING)));
    s.port = Text(IDC_MB_PORT);
    s.baud = Text(IDC_MB_BAUD);
    s.word = Text(IDC_MB_WORD);
    s.host = Text(IDC_MB_HOST);
    s.timeout = Text(IDC_MB_TIMEOUT);
    s.unit = Text(IDC_MB_UNIT);
    s.table = std::max(0, Selection(Item(IDC_MB_TABLE)));
    s.address = Text(IDC_MB_ADDRESS);
    s.count = Text(IDC_MB_COUNT);
    s.interval = Text(IDC_MB_INTERVAL);
    s.format = Text(IDC_MB_FORMAT);
    s.mode = std::max(0, Selection(Item(IDC_MB_MODE)));
    s.map = Text(IDC_MB_MAP);
    s.polls.clear();
    for (const modbus_page::Poll& poll : polls_) {
        s.polls.push_back(modbus_page::PollLine(poll, modbus_page::TableIndex(poll.table)));
    }
}

bool CModbusView::Simulating() const { return Selection(Item(IDC_MB_MODE)) == 1; }

// The simulator serves the map; the poll list is the master's.
void CModbusView::ShowMode() {
    const bool simulating = Simulating();
    SetText(IDC_MB_START, simulating ? "开始模拟(&O)" : "开始轮询(&O)");
    EnableForState();
}

void CModbusView::ShowPolls() {
    HWND list = Item(IDC_MB_POLLS);
    CListCtrl(list).DeleteAllItems();
    for (size_t i = 0; i < polls_.size(); ++i) {
        SetCell(list, static_cast<int>(i), 0, std::to_string(i + 1), true);
        SetCell(list, static_cast<int>(i), 1, modbus_page::PollTitle(polls_[i]), false);
    }
}

void CModbusView::OnAddPoll() {
    modbus_page::Poll poll;
    std::string error;
    if (!modbus_page::ReadPoll(Text(IDC_MB_UNIT), Selection(Item(IDC_MB_TABLE)), Text(IDC_MB_ADDRESS),
                               Text(IDC_MB_COUNT), Text(IDC_MB_INTERVAL), Text(IDC_MB_FORMAT), poll, error)) {
        SetText(IDC_MB_STATUS, error);
        return;
    }
    if (polls_.size() >= static_cast<size_t>(modbus_page::kMostPolls)) {
        SetText(IDC_MB_STATUS, "轮询列表最多 " + std::to_string(modbus_page::kMostPolls) + " 项");
        return;
    }
    polls_.push_back(poll);
    ShowPolls();
    SetText(IDC_MB_STATUS, "已加入第 " + std::to_string(polls_.size()) + " 项：" + modbus_page::PollTitle(poll));
}

void CModbusView::OnRemovePoll() {
    const int row = static_cast<int>(::SendMessageW(Item(IDC_MB_POLLS), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                    LVNI_SELECTED));
    if (row < 0 || static_cast<size_t>(row) >= polls_.size()) {
        SetText(IDC_MB_STATUS, "请先在轮询列表中选中要删除的一项");
        return;
    }
    polls_.erase(polls_.begin() + row);
    ShowPolls();
    SetText(IDC_MB_STATUS, "已删除第 " + std::to_string(row + 1) + " 项");
}

void CModbusView::OnBrowse() {
    CFileDialog dialog(true, nullptr, AfxUtf8ToGbk("映射文件 (*.txt;*.map)|*.txt;*.map|所有文件 (*.*)|*.*|").c_str(),
                       m_hWnd);
    if (dialog.DoModal() != IDOK) return;
    SetText(IDC_MB_MAP, dialog.GetPathName());
}

// The address's reference beside it, as the table names it: 40001.
void CModbusView::ShowReference() {
    std::string reference;
    const std::string typed = Text(IDC_MB_ADDRESS);
    const bool digits = !typed.empty() && typed.size() <= 5 && typed.find_first_not_of("0123456789") == std::string::npos;
    if (digits && std::stol(typed) <= 65535) {
        reference = modbus_page::ReferenceText(modbus_page::TableOfChoice(Selection(Item(IDC_MB_TABLE))),
                                               static_cast<std::uint16_t>(std::stol(typed)));
    }
    SetText(IDC_MB_REFERENCE, reference);
}

// While a poll runs, what it was started with stays as it is.
void CModbusView::EnableForState() {
    const bool running = worker_.Running();
    const bool simulating = Simulating();
    for (int id : {IDC_MB_FRAMING, IDC_MB_PORT, IDC_MB_REFRESH, IDC_MB_BAUD, IDC_MB_WORD, IDC_MB_HOST, IDC_MB_TIMEOUT,
                   IDC_MB_UNIT, IDC_MB_TABLE, IDC_MB_ADDRESS, IDC_MB_COUNT, IDC_MB_INTERVAL, IDC_MB_FORMAT,
                   IDC_MB_START, IDC_MB_MODE}) {
        ::EnableWindow(Item(id), !running);
    }
    // The map's field stays open in either mode, so that its mnemonic always
    // reaches it; the browse button is the simulator's.
    ::EnableWindow(Item(IDC_MB_MAP), !running);
    ::EnableWindow(Item(IDC_MB_BROWSE), !running && simulating);
    for (int id : {IDC_MB_POLLS, IDC_MB_ADD, IDC_MB_REMOVE}) ::EnableWindow(Item(id), !running && !simulating);
    ::EnableWindow(Item(IDC_MB_TIMEOUT), !running && !simulating);
    ::EnableWindow(Item(IDC_MB_STOP), running);
}

void CModbusView::OnRefresh() {
    const std::string typed = Text(IDC_MB_PORT);
    ::SendMessageW(Item(IDC_MB_PORT), CB_RESETCONTENT, 0, 0);
    const std::vector<PortInfo> ports = ListSerialPorts();
    for (const PortInfo& port : ports) AddWideString(Item(IDC_MB_PORT), port.name);
    if (!typed.empty()) {
        SetText(IDC_MB_PORT, typed);
    } else if (!ports.empty()) {
        ::SendMessageW(Item(IDC_MB_PORT), CB_SETCURSEL, 0, 0);
    }
}

void CModbusView::OnStart() {
    if (worker_.Running()) return;
    modbus_page::Connection connection;
    modbus_page::Poll poll;
    std::string error;
    const bool sound =
        modbus_page::ReadConnection(Selection(Item(IDC_MB_FRAMING)), Text(IDC_MB_PORT), Text(IDC_MB_BAUD),
                                    Text(IDC_MB_WORD), Text(IDC_MB_HOST), Simulating() ? "1000" : Text(IDC_MB_TIMEOUT),
                                    connection, error) &&
        (Simulating() || modbus_page::ReadPoll(Text(IDC_MB_UNIT), Selection(Item(IDC_MB_TABLE)), Text(IDC_MB_ADDRESS),
                                               Text(IDC_MB_COUNT), Text(IDC_MB_INTERVAL), Text(IDC_MB_FORMAT), poll,
                                               error));
    if (!sound) {
        SetText(IDC_MB_STATUS, error);
        return;
    }
    // Another table or format: the rows shown and the row chosen for a
    // write are no longer this poll's.
    values_.clear();
    poll_rows_.clear();
    CListCtrl(Item(IDC_MB_VALUES)).DeleteAllItems();
    write_chosen_ = false;
    SetText(IDC_MB_WRITE_REF, "");
    // A fresh share: a worker of an earlier run may still hold the old one.
    shared_ = std::make_shared<Shared>();
    if (Simulating()) {
        StartSimulator(connection);
        return;
    }
    poll_ = poll;
    device_.reset();
    // The list's polls, or the fields' one when the list is empty.
    polling_ = polls_.empty() ? std::vector<modbus_page::Poll>{poll} : polls_;
    poll_rows_.resize(polling_.size());
    if (!worker_.Start(m_hWnd, [this, connection, polls = polling_] { Work(connection, polls); })) {
        SetText(IDC_MB_STATUS, "无法启动轮询的线程");
        return;
    }
    poll_failing_ = false;
    SetText(IDC_MB_STATUS, "正在打开…");
    EnableForState();
}

// The simulator: the map read here, so that what is wrong with it is said
// before anything listens; the run the fields name is what the values show.
void CModbusView::StartSimulator(const modbus_page::Connection& connection) {
    std::string error;
    unsigned char unit = 0;
    if (!modbus_page::ReadServedUnit(Text(IDC_MB_UNIT), unit, error)) {
        SetText(IDC_MB_STATUS, error);
        return;
    }
    // The values shown: the fields' run, whatever unit the device answers as.
    modbus_page::Poll shown;
    if (!modbus_page::ReadPoll("1", Selection(Item(IDC_MB_TABLE)), Text(IDC_MB_ADDRESS), Text(IDC_MB_COUNT), "1000",
                               Text(IDC_MB_FORMAT), shown, error)) {
        SetText(IDC_MB_STATUS, error);
        return;
    }
    const std::string path = Text(IDC_MB_MAP);
    if (path.empty()) {
        SetText(IDC_MB_STATUS, "请选择映射文件：每行如 f32 cdab 40001 3.14");
        return;
    }
    std::string text;
    FILE* file = _wfopen(AfxUtf8ToWide(path).c_str(), L"rb");
    if (!file) {
        SetText(IDC_MB_STATUS, "无法打开映射文件 " + path);
        return;
    }
    char block[4096];
    size_t n;
    // A map of every address of every table is some megabytes; more is no map.
    while ((n = std::fread(block, 1, sizeof block, file)) > 0 && text.size() < (16u << 20)) text.append(block, n);
    std::fclose(file);
    auto device = std::make_shared<Device>();
    if (!modbus_page::LoadMap(text, device->model, error)) {
        SetText(IDC_MB_STATUS, error);
        return;
    }
    device->slave = std::make_unique<ModbusSlave>(device->model, ModbusSlaveSettings{unit});
    poll_ = shown;
    polling_.clear();
    device_ = device;
    if (!worker_.Start(m_hWnd, [this, connection, device] { Serve(connection, device); })) {
        SetText(IDC_MB_STATUS, "无法启动模拟的线程");
        return;
    }
    SetText(IDC_MB_STATUS, "正在打开…");
    ShowDeviceValues();
    EnableForState();
}

void CModbusView::OnStop() { worker_.Cancel(); }

void CModbusView::OnClear() {
    counters_ = modbus_page::Counters();
    SetText(IDC_MB_COUNTERS, modbus_page::CountersText(counters_));
    CListCtrl(Item(IDC_MB_TRAFFIC)).DeleteAllItems();
}

void CModbusView::ChooseWriteRow(int row) {
    if (row < 0 || static_cast<size_t>(row) >= values_.size()) return;
    const modbus_page::ValueRow& chosen = values_[static_cast<size_t>(row)];
    write_chosen_ = true;
    write_address_ = chosen.address;
    write_poll_ = chosen.poll;
    SetText(IDC_MB_WRITE_REF, chosen.reference);
    std::string value = chosen.raw.size() == 1 ? chosen.raw : chosen.value;
    // A text's row shows it quoted; the field takes it bare.
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    SetText(IDC_MB_WRITE_VALUE, value);
    HWND field = Item(IDC_MB_WRITE_VALUE);
    ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    ::SendMessageW(field, EM_SETSEL, 0, -1);
}

void CModbusView::OnWrite() {
    if (!worker_.Running()) {
        SetText(IDC_MB_STATUS, "请先开始轮询");
        return;
    }
    if (!write_chosen_) {
        SetText(IDC_MB_STATUS, "请先双击数值列表中要写入的一行");
        return;
    }
    std::string what, error;
    if (device_) {
        // The device's own side: set at once, read by the masters' next polls.
        if (!modbus_page::WriteDevice(*device_->slave, poll_, write_address_, Text(IDC_MB_WRITE_VALUE), what, error)) {
            SetText(IDC_MB_STATUS, error);
            return;
        }
        SetText(IDC_MB_STATUS, what);
        ShowDeviceValues();
        return;
    }
    if (write_poll_ < 1 || static_cast<size_t>(write_poll_) > polling_.size()) return;
    const modbus_page::Poll& poll = polling_[static_cast<size_t>(write_poll_ - 1)];
    ModbusBytes pdu;
    if (!modbus_page::WriteRequest(poll, write_address_, Text(IDC_MB_WRITE_VALUE), pdu, what, error)) {
        SetText(IDC_MB_STATUS, error);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->writes.push_back(Write{pdu, what, poll.unit});
    }
    SetText(IDC_MB_STATUS, "正在" + what + "…");
}

// With the share's lock held: one kEventsMessage at most waits in the
// window's queue, however fast the worker hands events over.
void CModbusView::PostEventsLocked() {
    if (shared_->posted) return;
    shared_->posted = true;
    ::PostMessageW(m_hWnd, kEventsMessage, 0, 0);
}

void CModbusView::Hand(Frame frame) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->frames.push_back(std::move(frame));
    PostEventsLocked();
}

void CModbusView::Hand(Served served) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->served.push_back(std::move(served));
    PostEventsLocked();
}

void CModbusView::Hand(Outcome outcome) {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->outcomes.push_back(std::move(outcome));
    PostEventsLocked();
}

// The worker: opens the link, then polls each poll at its interval, the
// writes queued going out between polls, until told to stop or the link
// fails. Its last status stays on the page.
void CModbusView::Work(const modbus_page::Connection& connection, const std::vector<modbus_page::Poll>& polls) {
    std::string error;
    std::unique_ptr<Link> link;
    std::string opened;
    if (connection.serial()) {
        link = OpenSerialLink(connection.port, connection.settings, error);
        if (!link) error = connection.port + ": " + error;
        opened = connection.port + " " + std::to_string(connection.settings.baud) + " " +
                 FramingWord(connection.settings);
    } else {
        PostStatus("正在连接 " + connection.host + ":" + connection.tcp_port + "…");
        // 停止 and the window's close do not wait out a peer that never answers.
        link = ConnectTcpLink(connection.host, connection.tcp_port, error, kTcpConnectTimeoutUs,
                              [this] { return worker_.Cancelled(); });
        if (link) opened = link->Name();
    }
    if (!link) {
        SetLastWord(worker_.Cancelled() ? "已停止" : "打开失败：" + error);
        return;
    }
    PostStatus("正在轮询 " + opened + "（" + ModbusFramingName(connection.framing) + "）");

    // One master for every poll: one count of transactions, one silence.
    ModbusMaster master(*link, modbus_page::MasterSettings(connection, polls.front().unit));
    master.SetTrace([this](const ModbusTraceEvent& event) { Hand(Frame{event, MsOfDay()}); });
    std::vector<LinkTime> next_poll(polls.size(), LinkNow());
    std::string ended;
    while (!worker_.Cancelled() && ended.empty()) {
        Outcome outcome;
        bool due = false;
        Write write;
        {
            std::lock_guard<std::mutex> lock(shared_->mutex);
            if (!shared_->writes.empty()) {
                write = shared_->writes.front();
                shared_->writes.pop_front();
                due = true;
            }
        }
        if (due) {
            outcome.write = true;
            outcome.what = write.what;
            master.SetUnit(write.unit);
            outcome.transaction = master.Transact(write.pdu);
        } else {
            // The poll most overdue goes first, so that a slow one delays
            // the others, never starves them.
            size_t first = 0;
            for (size_t i = 1; i < polls.size(); ++i) {
                if (next_poll[i] < next_poll[first]) first = i;
            }
            if (LinkNow() >= next_poll[first]) {
                due = true;
                outcome.poll = static_cast<int>(first);
                master.SetUnit(polls[first].unit);
                outcome.transaction = master.Transact(modbus_page::PollRequest(polls[first]));
                // A poll that took longer than its interval is followed at
                // once, never by a burst that catches up.
                next_poll[first] =
                    std::max(next_poll[first] + static_cast<LinkTime>(polls[first].interval_ms) * 1000, LinkNow());
            } else {
                const LinkTime wait_us = next_poll[first] - LinkNow();
                ::Sleep(static_cast<DWORD>(std::clamp<LinkTime>(wait_us / 1000, 1, kIdleSliceMs)));
                continue;
            }
        }
        if (outcome.transaction.status == ModbusTransaction::kLinkFailed) ended = outcome.transaction.error;
        Hand(std::move(outcome));
    }
    SetLastWord(ended.empty() ? "已停止" : "已断开：" + ended);
}

// The simulator's worker: serves the serial line, or every TCP client that
// comes, until told to stop.
void CModbusView::Serve(const modbus_page::Connection& connection, std::shared_ptr<Device> device) {
    std::string error;
    const std::function<bool()> stop = [this] { return worker_.Cancelled(); };
    if (connection.serial()) {
        const std::unique_ptr<Link> link = OpenSerialLink(connection.port, connection.settings, error);
        if (!link) {
            SetLastWord("打开失败：" + connection.port + ": " + error);
            return;
        }
        PostStatus("正在模拟：" + connection.port + " " + std::to_string(connection.settings.baud) + " " +
                   FramingWord(connection.settings) + "（" + ModbusFramingName(connection.framing) + "）");
        const LinkTime gap = connection.framing == ModbusFraming::kRtu ? ModbusGapUs(connection.settings) : 0;
        error = ServeModbusLink(*link, connection.framing, gap, *device->slave,
                                [this](const ModbusSlaveEvent& event) { Hand(Served{event, MsOfDay(), 0}); }, stop);
    } else {
        const std::unique_ptr<LinkListener> listener =
            ListenTcp(connection.tcp_port, error, connection.host, 16);
        if (!listener) {
            SetLastWord("无法监听端口 " + connection.tcp_port + "：" + error);
            return;
        }
        PostStatus("正在模拟：监听 " + (connection.host.empty() ? std::string("所有地址") : connection.host) + " 端口 " +
                   std::to_string(listener->port()) + "（" + ModbusFramingName(connection.framing) + "）");
        error = ServeModbusTcp(
            *listener, connection.framing, *device->slave,
            [this](const ModbusClientEvent& event) {
                if (event.kind == ModbusClientEvent::kRequest) Hand(Served{*event.request, MsOfDay(), event.client});
            },
            stop);
    }
    SetLastWord(error.empty() ? "已停止" : "已断开：" + error);
}

void CModbusView::TakeEvents() {
    std::vector<Frame> frames;
    std::vector<Outcome> outcomes;
    std::vector<Served> served;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        frames.swap(shared_->frames);
        outcomes.swap(shared_->outcomes);
        served.swap(shared_->served);
        shared_->posted = false;
    }
    std::vector<modbus_page::TrafficRow> rows;
    rows.reserve(frames.size() + 2 * served.size());
    for (const Frame& frame : frames) rows.push_back(modbus_page::TraceRow(frame.event, frame.ms_of_day));
    for (const Served& one : served) {
        for (modbus_page::TrafficRow& row : modbus_page::ServedRows(one.event, one.ms_of_day, one.client)) {
            rows.push_back(std::move(row));
        }
        modbus_page::CountServed(one.event, counters_);
    }
    AddTraffic(rows);
    // A master's write shows at once.
    if (!served.empty() && device_) ShowDeviceValues();
    for (const Outcome& outcome : outcomes) {
        modbus_page::Count(outcome.transaction, counters_);
        const std::string said = modbus_page::OutcomeText(outcome.transaction);
        if (outcome.write) {
            SetText(IDC_MB_STATUS, outcome.what + "：" + said);
            continue;
        }
        const bool answered =
            outcome.transaction.status == ModbusTransaction::kAnswered && !outcome.transaction.response.exception;
        if (answered && static_cast<size_t>(outcome.poll) < polling_.size()) {
            std::vector<modbus_page::ValueRow> answer =
                modbus_page::ValueRows(polling_[static_cast<size_t>(outcome.poll)], outcome.transaction.response);
            for (modbus_page::ValueRow& row : answer) row.poll = outcome.poll + 1;
            poll_rows_[static_cast<size_t>(outcome.poll)] = std::move(answer);
            std::vector<modbus_page::ValueRow> shown;
            for (const auto& rows_of_poll : poll_rows_) shown.insert(shown.end(), rows_of_poll.begin(), rows_of_poll.end());
            ShowValues(shown);
        }
        // A write's word stays until a poll fails, and a failure's until a
        // poll is answered again.
        if (answered != poll_failing_) continue;
        poll_failing_ = !answered;
        SetText(IDC_MB_STATUS, said);
    }
    SetText(IDC_MB_COUNTERS, modbus_page::CountersText(counters_));
}

void CModbusView::ShowValues(const std::vector<modbus_page::ValueRow>& rows) {
    HWND list = Item(IDC_MB_VALUES);
    const bool rebuild = rows.size() != values_.size();
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    if (rebuild) CListCtrl(list).DeleteAllItems();
    int widths[kValueColumns];
    for (int c = 0; c < kValueColumns; ++c) widths[c] = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0));
    bool wider = false;
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::string poll = std::to_string(rows[r].poll);
        const std::string* cells[kValueColumns] = {&rows[r].address_text, &rows[r].reference, &rows[r].raw,
                                                   &rows[r].value, &poll};
        for (int c = 0; c < kValueColumns; ++c) {
            // Only what changed is set: a list repainted every poll flickers.
            if (!rebuild) {
                const modbus_page::ValueRow& old = values_[r];
                const std::string old_poll = std::to_string(old.poll);
                const std::string* before[kValueColumns] = {&old.address_text, &old.reference, &old.raw, &old.value,
                                                            &old_poll};
                if (*before[c] == *cells[c]) continue;
            }
            SetCell(list, static_cast<int>(r), c, *cells[c], rebuild);
            const int width = TextWidth(list, *cells[c]) + kCellMargins;
            if (width > widths[c]) {
                widths[c] = width;
                wider = true;
            }
        }
    }
    if (wider) {
        for (int c = 0; c < kValueColumns; ++c) ::SendMessageW(list, LVM_SETCOLUMNWIDTH, c, widths[c]);
    }
    values_ = rows;
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void CModbusView::AddTraffic(const std::vector<modbus_page::TrafficRow>& rows) {
    if (rows.empty()) return;
    HWND list = Item(IDC_MB_TRAFFIC);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    // A column widens to its widest text as rows come, never narrows: the
    // new rows alone are measured.
    int widths[kTrafficColumns];
    for (int c = 0; c < kTrafficColumns; ++c) {
        widths[c] = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0));
    }
    const int before[kTrafficColumns] = {widths[0], widths[1], widths[2], widths[3]};
    for (const modbus_page::TrafficRow& row : rows) {
        const std::string* cells[kTrafficColumns] = {&row.time, &row.direction, &row.verdict, &row.hex};
        for (int c = 0; c < kTrafficColumns; ++c) {
            SetCell(list, count, c, *cells[c], true);
            widths[c] = std::max(widths[c], TextWidth(list, *cells[c]) + kCellMargins);
        }
        ++count;
    }
    for (int c = 0; c < kTrafficColumns; ++c) {
        if (widths[c] != before[c]) ::SendMessageW(list, LVM_SETCOLUMNWIDTH, c, widths[c]);
    }
    if (count > kTrafficRows + kTrafficDropBlock) {
        for (int i = 0; i < count - kTrafficRows; ++i) ::SendMessageW(list, LVM_DELETEITEM, 0, 0);
        count = kTrafficRows;
    }
    ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1), FALSE);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

// The simulated device's run the fields name, as a master would read it.
void CModbusView::ShowDeviceValues() {
    if (!device_) return;
    std::vector<modbus_page::ValueRow> rows;
    std::string error;
    if (!modbus_page::DeviceRows(*device_->slave, poll_, rows, error)) {
        SetText(IDC_MB_STATUS, error);
        return;
    }
    ShowValues(rows);
}
