#include "workbench_window/views/serial_view.h"

#include <commctrl.h>  // after <windows.h>, which fw/win_types.h brings

#include <algorithm>

#include "fw/win32/controls.h"
#include "workbench_window/pages/frame_page.h"
#include "workbench_window/window_text.h"
#include "workbench_window/workbench_window.h"

namespace {

// Posted by the worker: rows wait in the shared queue (at most one such
// message is in the window's queue).
constexpr UINT kRowsMessage = WM_APP + 20;
constexpr UINT_PTR kSendTimer = 1;

// The list keeps this many rows; the oldest go, a block at a time, beyond
// it (the log keeps more: serial_page::Session's bound).
constexpr int kListRows = 20000;
constexpr int kListDropBlock = 2000;
// A stream that never falls silent is cut into rows of this many bytes.
constexpr std::size_t kLongestRow = 1024;
// The list's columns (time, direction, verdict, hex, text), and the room a
// list view leaves about a cell's text, in pixels.
constexpr int kColumns = 5;
constexpr int kCellMargins = 16;
// How long one read waits: the worker looks at the send queue and at a
// close between reads.
constexpr LinkTime kReadSliceUs = 10000;

int SelectExact(HWND combo, const std::string& utf8) {
    const LRESULT at = ::SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(AfxUtf8ToWide(utf8).c_str()));
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    return static_cast<int>(at);
}

}  // namespace

BEGIN_MESSAGE_MAP(CSerialView, CLinkPageView)
    ON_COMMAND(IDC_SER_MODE_SERIAL, OnMode)
    ON_COMMAND(IDC_SER_MODE_CLIENT, OnMode)
    ON_COMMAND(IDC_SER_MODE_SERVER, OnMode)
    ON_COMMAND(IDC_SER_REFRESH, OnRefresh)
    ON_COMMAND(IDC_SER_OPEN, OnOpen)
    ON_COMMAND(IDC_SER_CLOSE, OnClose)
    ON_COMMAND(IDC_SER_SEND, OnSend)
    ON_COMMAND(IDC_SER_TIMED, OnTimed)
    ON_COMMAND(IDC_SER_APPEND_CHECK, OnCheckChanged)
    ON_COMMAND(IDC_SER_BE, OnCheckChanged)
    ON_COMMAND(IDC_SER_LE, OnCheckChanged)
    ON_COMMAND(IDC_SER_PAUSE, OnPause)
    ON_COMMAND(IDC_SER_CLEAR, OnClear)
    ON_COMMAND(IDC_SER_SAVE, OnSave)
    ON_COMMAND(IDC_SER_TO_FIND, OnToFind)
    ON_COMMAND(IDC_SER_TO_FRAME, OnToFrame)
    ON_COMMAND(IDC_SER_TO_NUMBERS, OnToNumbers)
END_MESSAGE_MAP()

CSerialView::CSerialView(CWorkbenchWindow& host) : CLinkPageView(IDD, host) {}

// The worker reads the page's members until its end.
CSerialView::~CSerialView() { worker_.Stop(); }

BOOL CSerialView::OnInitDialog() {
    CLinkPageView::OnInitDialog();
    FollowSize({
        {IDC_SER_SEND_TEXT, kStretchX},
        {IDC_SER_SEND, kMoveX},
        {IDC_SER_LIST, kStretchX | kStretchY},
        {IDC_SER_HISTORY, kMoveX | kStretchY},
        {IDC_SER_PAUSE, kMoveY},
        {IDC_SER_CLEAR, kMoveY},
        {IDC_SER_SAVE, kMoveY},
        {IDC_SER_TO_FIND, kMoveY},
        {IDC_SER_TO_FRAME, kMoveY},
        {IDC_SER_TO_NUMBERS, kMoveY},
        {IDC_SER_COUNTERS, kStretchX | kMoveY},
        {IDC_SER_STATUS, kStretchX | kMoveY},
    });
    for (const std::string& baud : serial_page::BaudChoices()) AddWideString(Item(IDC_SER_BAUD), baud);
    SetText(IDC_SER_BAUD, "9600");
    const struct {
        int id;
        std::vector<std::string> choices;
    } lists[] = {{IDC_SER_DATA_BITS, serial_page::DataBitsChoices()},
                 {IDC_SER_PARITY, serial_page::ParityChoices()},
                 {IDC_SER_STOP_BITS, serial_page::StopBitsChoices()},
                 {IDC_SER_FLOW, serial_page::FlowChoices()}};
    for (const auto& list : lists) {
        for (const std::string& choice : list.choices) AddWideString(Item(list.id), choice);
        ::SendMessageW(Item(list.id), CB_SETCURSEL, 0, 0);
    }
    for (const std::string& name : frame_page::CheckNames()) AddWideString(Item(IDC_SER_MODEL), name);
    SelectExact(Item(IDC_SER_MODEL), "CRC-16/MODBUS");
    Check(IDC_SER_MODE_SERIAL, true);
    Check(IDC_SER_HEX, true);
    Check(IDC_SER_GBK, true);
    Check(IDC_SER_LE, true);  // MODBUS RTU's order, the commonest on a serial line
    SetText(IDC_SER_HOST, "127.0.0.1:502");
    SetText(IDC_SER_LISTEN, "502");
    SetText(IDC_SER_PERIOD, "1000");
    DefaultGap();

    CListCtrl list(Item(IDC_SER_LIST));
    list.SetTableStyle();
    // The verdict before the bytes: it is short, and what a glance looks
    // for; a long frame's hex and text run on to the right.
    list.SetColumns({AfxUtf8ToGbk("时间"), AfxUtf8ToGbk("方向"), AfxUtf8ToGbk("校验"), AfxUtf8ToGbk("十六进制"),
                     AfxUtf8ToGbk("文本")},
                    {56, 24, 70, 140, 50});
    CListCtrl history(Item(IDC_SER_HISTORY));
    history.SetTableStyle();
    history.SetColumns({AfxUtf8ToGbk("已发送（双击重发）")}, {90});
    // The ports are listed when the page is first shown: asking Windows for
    // them costs the window's start a tenth of its time.
    OnMode();
    ShowCounters();
    return FALSE;
}

BOOL CSerialView::OnCommand(WPARAM wparam, LPARAM lparam) {
    // A new rate gives a new default gap.
    if (LOWORD(wparam) == IDC_SER_BAUD && (HIWORD(wparam) == CBN_SELCHANGE || HIWORD(wparam) == CBN_EDITCHANGE)) {
        if (HIWORD(wparam) == CBN_SELCHANGE) {
            const int at = Selection(Item(IDC_SER_BAUD));
            if (at >= 0) SetText(IDC_SER_BAUD, serial_page::BaudChoices()[static_cast<size_t>(at)]);
        }
        DefaultGap();
    }
    if (LOWORD(wparam) == IDC_SER_MODEL && HIWORD(wparam) == CBN_SELCHANGE) OnCheckChanged();
    return CLinkPageView::OnCommand(wparam, lparam);
}

void CSerialView::DefaultGap() {
    SerialSettings settings;
    std::string error;
    if (serial_page::ReadSettings(Text(IDC_SER_BAUD), std::max(0, Selection(Item(IDC_SER_DATA_BITS))),
                                  std::max(0, Selection(Item(IDC_SER_PARITY))),
                                  std::max(0, Selection(Item(IDC_SER_STOP_BITS))), 0, settings, error)) {
        SetText(IDC_SER_GAP, std::to_string(serial_page::DefaultGapMs(settings)));
    }
}

LRESULT CSerialView::WindowProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case kRowsMessage:
            TakeEvents();
            return 0;
        case WM_TIMER:
            if (wparam == kSendTimer) {
                OnSend();
                return 0;
            }
            break;
        case WM_NOTIFY: {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->idFrom == IDC_SER_HISTORY && header->code == NM_DBLCLK) {
                const int row = reinterpret_cast<const NMITEMACTIVATE*>(lparam)->iItem;
                if (row >= 0 && static_cast<size_t>(row) < history_.size()) SendFrame(history_[static_cast<size_t>(row)]);
                return 0;
            }
            if (header->idFrom == IDC_SER_LIST && header->code == NM_DBLCLK) {
                OnToFrame();
                return 0;
            }
            break;
        }
        default:
            break;
    }
    return CLinkPageView::WindowProc(message, wparam, lparam);
}

// A link that ended sends nothing more at its interval.
void CSerialView::LinkEnded() {
    if (!timer_) return;
    ::KillTimer(m_hWnd, kSendTimer);
    timer_ = false;
    Check(IDC_SER_TIMED, false);
}

void CSerialView::LoadSettings(const settings::Settings& all) {
    const settings::SerialSettings& s = all.serial;
    Check(IDC_SER_MODE_SERIAL, s.mode == 0);
    Check(IDC_SER_MODE_CLIENT, s.mode == 1);
    Check(IDC_SER_MODE_SERVER, s.mode == 2);
    SetText(IDC_SER_PORT, s.port);
    SetText(IDC_SER_BAUD, s.baud);
    const struct {
        int id;
        int index;
    } lists[] = {{IDC_SER_DATA_BITS, s.data_bits},
                 {IDC_SER_PARITY, s.parity},
                 {IDC_SER_STOP_BITS, s.stop_bits},
                 {IDC_SER_FLOW, s.flow}};
    for (const auto& list : lists) ::SendMessageW(Item(list.id), CB_SETCURSEL, static_cast<WPARAM>(list.index), 0);
    SetText(IDC_SER_HOST, s.host);
    SetText(IDC_SER_LISTEN, s.listen);
    if (s.gap.empty()) {
        DefaultGap();
    } else {
        SetText(IDC_SER_GAP, s.gap);
    }
    SetText(IDC_SER_PERIOD, s.period);
    Check(IDC_SER_APPEND_CHECK, s.append_check);
    if (SelectExact(Item(IDC_SER_MODEL), s.model) < 0) SelectExact(Item(IDC_SER_MODEL), "CRC-16/MODBUS");
    Check(IDC_SER_LE, s.little_endian);
    Check(IDC_SER_BE, !s.little_endian);
    Check(IDC_SER_HEX, s.hex);
    Check(IDC_SER_TEXT, !s.hex);
    Check(IDC_SER_UTF8, s.utf8);
    Check(IDC_SER_GBK, !s.utf8);
    OnMode();
}

void CSerialView::SaveSettings(settings::Settings& all) {
    settings::SerialSettings& s = all.serial;
    s.mode = Mode();
    s.port = PortName();
    s.baud = Text(IDC_SER_BAUD);
    s.data_bits = std::max(0, Selection(Item(IDC_SER_DATA_BITS)));
    s.parity = std::max(0, Selection(Item(IDC_SER_PARITY)));
    s.stop_bits = std::max(0, Selection(Item(IDC_SER_STOP_BITS)));
    s.flow = std::max(0, Selection(Item(IDC_SER_FLOW)));
    s.host = Text(IDC_SER_HOST);
    s.listen = Text(IDC_SER_LISTEN);
    s.gap = Text(IDC_SER_GAP);
    s.period = Text(IDC_SER_PERIOD);
    s.append_check = IsChecked(IDC_SER_APPEND_CHECK);
    const int at = Selection(Item(IDC_SER_MODEL));
    const std::vector<std::string> names = frame_page::CheckNames();
    if (at >= 0 && static_cast<size_t>(at) < names.size()) s.model = names[static_cast<size_t>(at)];
    s.little_endian = !IsChecked(IDC_SER_BE);
    s.hex = !IsChecked(IDC_SER_TEXT);
    s.utf8 = IsChecked(IDC_SER_UTF8);
}

// Every field stays open to the keyboard whatever the mode: the mode says
// which of them the next 打开 reads. While a link is open they are locked.
void CSerialView::OnMode() {
    for (int id : {IDC_SER_PORT, IDC_SER_REFRESH, IDC_SER_BAUD, IDC_SER_DATA_BITS, IDC_SER_PARITY, IDC_SER_STOP_BITS,
                   IDC_SER_FLOW, IDC_SER_HOST, IDC_SER_LISTEN}) {
        ::EnableWindow(Item(id), !worker_.Running());
    }
}

void CSerialView::EnableForState() {
    const bool running = worker_.Running();
    for (int id : {IDC_SER_MODE_SERIAL, IDC_SER_MODE_CLIENT, IDC_SER_MODE_SERVER, IDC_SER_GAP, IDC_SER_OPEN}) {
        ::EnableWindow(Item(id), !running);
    }
    ::EnableWindow(Item(IDC_SER_CLOSE), running);
    OnMode();
}

int CSerialView::Mode() const {
    return IsChecked(IDC_SER_MODE_CLIENT) ? 1 : IsChecked(IDC_SER_MODE_SERVER) ? 2 : 0;
}

// A listed port's text runs on with its friendly name: the name is the port.
std::string CSerialView::PortName() const {
    std::string port = Text(IDC_SER_PORT);
    const size_t blank = port.find(' ');
    if (blank != std::string::npos) port.erase(blank);
    return port;
}

void CSerialView::OnRefresh() {
    const std::string typed = Text(IDC_SER_PORT);
    ::SendMessageW(Item(IDC_SER_PORT), CB_RESETCONTENT, 0, 0);
    const std::vector<PortInfo> ports = ListSerialPorts();
    for (const PortInfo& port : ports) AddWideString(Item(IDC_SER_PORT), port.name);
    if (!typed.empty()) {
        SetText(IDC_SER_PORT, typed);
    } else if (!ports.empty()) {
        ::SendMessageW(Item(IDC_SER_PORT), CB_SETCURSEL, 0, 0);
    }
    SetText(IDC_SER_STATUS, ports.empty() ? "没有找到串口" : "找到 " + std::to_string(ports.size()) + " 个串口");
}

bool CSerialView::ReadCheckChoice(std::string& error) {
    if (!IsChecked(IDC_SER_APPEND_CHECK)) {
        check_.reset();
        model_.clear();
    } else {
        const int at = Selection(Item(IDC_SER_MODEL));
        const std::vector<std::string> names = frame_page::CheckNames();
        if (at < 0 || static_cast<size_t>(at) >= names.size()) {
            error = "请选择校验模型";
            return false;
        }
        LinkCheck check;
        if (!serial_page::ReadCheck(names[static_cast<size_t>(at)], IsChecked(IDC_SER_LE), check, error)) return false;
        check_ = check;
        model_ = names[static_cast<size_t>(at)];
    }
    session_.SetCheck(check_, model_);
    session_.SetEncoding(IsChecked(IDC_SER_UTF8) ? TextEncoding::kUtf8 : TextEncoding::kGbk);
    return true;
}

void CSerialView::OnCheckChanged() {
    std::string error;
    if (!ReadCheckChoice(error)) SetText(IDC_SER_STATUS, error);
}

void CSerialView::OnOpen() {
    if (worker_.Running()) return;
    Target target;
    std::string error;
    target.mode = Mode();
    bool sound = serial_page::ReadGapMs(Text(IDC_SER_GAP), target.gap_ms, error) && ReadCheckChoice(error);
    if (sound && target.mode == 0) {
        target.port = PortName();
        if (target.port.empty()) {
            error = "请选择或输入串口";
            sound = false;
        }
        sound = sound && serial_page::ReadSettings(
                             Text(IDC_SER_BAUD), Selection(Item(IDC_SER_DATA_BITS)), Selection(Item(IDC_SER_PARITY)),
                             Selection(Item(IDC_SER_STOP_BITS)), Selection(Item(IDC_SER_FLOW)), target.settings, error);
    } else if (sound && target.mode == 1) {
        sound = serial_page::ReadHostPort(Text(IDC_SER_HOST), target.host, target.tcp_port, error);
    } else if (sound) {
        sound = serial_page::ReadListenPort(Text(IDC_SER_LISTEN), target.tcp_port, error);
    }
    if (!sound) {
        SetText(IDC_SER_STATUS, error);
        return;
    }
    // A fresh share: a worker of an earlier run may still hold the old one.
    shared_ = std::make_shared<Shared>();
    const bool started = worker_.Start(m_hWnd, [this, target] { Work(target); });
    if (!started) {
        SetText(IDC_SER_STATUS, "无法启动读取的线程");
        return;
    }
    SetText(IDC_SER_STATUS, "正在打开…");
    EnableForState();
}

void CSerialView::OnClose() { worker_.Cancel(); }

// The worker: opens the link, then reads, frames and sends until told to
// stop or the link ends. Its last status stays on the page.
void CSerialView::Work(const Target& target) {
    std::string error;
    std::unique_ptr<Link> link;
    if (target.mode == 0) {
        link = OpenSerialLink(target.port, target.settings, error);
        if (!link) error = target.port + ": " + error;
    } else if (target.mode == 1) {
        PostStatus("正在连接 " + target.host + ":" + target.tcp_port + "…");
        // 关闭 and the window's close do not wait out a peer that never answers.
        link = ConnectTcpLink(target.host, target.tcp_port, error, kTcpConnectTimeoutUs,
                              [this] { return worker_.Cancelled(); });
    } else {
        std::unique_ptr<LinkListener> listener = ListenTcp(target.tcp_port, error);
        if (listener) {
            PostStatus("正在端口 " + std::to_string(listener->port()) + " 上等待连接…");
            while (!link && error.empty() && !worker_.Cancelled()) link = listener->Accept(100000, error);
        }
    }
    if (!link) {
        SetLastWord(worker_.Cancelled() ? "已关闭" : "打开失败：" + error);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->connected = true;
    }
    const std::string opened = target.mode == 0 ? target.port + " " + std::to_string(target.settings.baud) + " " +
                                                      FramingWord(target.settings)
                                                : link->Name();
    PostStatus("已打开 " + opened);
    Pump(*link, *shared_, target.gap_ms);
}

void CSerialView::Pump(Link& link, Shared& shared, int gap_ms) {
    FramingRule rule;
    rule.gap_us = static_cast<LinkTime>(gap_ms) * 1000;
    Framer framer(rule);
    std::vector<LinkFrame> frames;
    std::size_t in_row = 0;  // bytes pushed since the last row
    std::string ended;
    const auto hand_over = [&](serial_page::Direction direction) {
        if (frames.empty()) return;
        const long long now = MsOfDay();
        const LinkTime clock = LinkNow();
        std::lock_guard<std::mutex> lock(shared.mutex);
        for (LinkFrame& frame : frames) {
            // A frame received shows when its first byte came, not when the
            // silence after it ended it.
            long long at = now;
            if (direction == serial_page::Direction::kReceived && frame.first_time > 0 && frame.first_time <= clock) {
                at -= static_cast<long long>((clock - frame.first_time) / 1000);
                if (at < 0) at += 24LL * 60 * 60 * 1000;
            }
            shared.events.push_back({direction, std::move(frame), at});
        }
        frames.clear();
        if (!shared.rows_posted) {
            shared.rows_posted = true;
            ::PostMessageW(m_hWnd, kRowsMessage, 0, 0);
        }
    };
    while (!worker_.Cancelled() && ended.empty()) {
        std::deque<LinkBytes> sends;
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            sends.swap(shared.to_send);
        }
        for (const LinkBytes& frame : sends) {
            std::size_t done = 0;
            while (done < frame.size() && ended.empty() && !worker_.Cancelled()) {
                std::string error;
                const long long n = link.WriteSome(frame.data() + done, frame.size() - done, kReadSliceUs, error);
                if (n < 0) ended = "发送失败：" + error;
                if (n > 0) done += static_cast<std::size_t>(n);
            }
            LinkFrame sent;
            sent.bytes.assign(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(done));
            if (!sent.bytes.empty()) frames.push_back(std::move(sent));
            hand_over(serial_page::Direction::kSent);
        }
        if (!ended.empty()) break;
        const LinkTime now = LinkNow();
        LinkTime wait = kReadSliceUs;
        const LinkTime deadline = framer.Deadline(0);
        if (deadline >= 0) wait = std::max<LinkTime>(0, std::min(wait, deadline - now));
        const LinkRead read = link.Read(wait);
        if (read.status == LinkRead::kData) {
            framer.Push(read.bytes.data(), read.bytes.size(), read.time, frames);
            in_row += read.bytes.size();
            if (!frames.empty()) in_row = framer.pending() ? read.bytes.size() : 0;
            if (in_row >= kLongestRow) {
                framer.Finish(frames);
                in_row = 0;
            }
        } else if (read.status != LinkRead::kTimeout) {
            ended = read.error.empty() ? "连接已断开" : read.error;
        }
        framer.Idle(LinkNow(), 0, frames);
        if (!framer.pending()) in_row = 0;
        hand_over(serial_page::Direction::kReceived);
    }
    framer.Finish(frames);
    hand_over(serial_page::Direction::kReceived);
    SetLastWord(ended.empty() ? "已关闭" : "已断开：" + ended);
}

void CSerialView::TakeEvents() {
    std::vector<Event> events;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        events.swap(shared_->events);
        shared_->rows_posted = false;
    }
    for (const Event& event : events) {
        if (event.direction == serial_page::Direction::kSent) {
            session_.AddSent(event.frame.bytes, event.ms_of_day);
        } else {
            session_.AddReceived(event.frame, event.ms_of_day);
        }
    }
    const std::vector<serial_page::Row> rows = session_.TakeNew();
    ShowCounters();
    if (rows.empty()) return;
    HWND list = Item(IDC_SER_LIST);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    // A column widens to its widest text as rows come, never narrows: the
    // new rows alone are measured, not the whole list again.
    int widths[kColumns];
    for (int c = 0; c < kColumns; ++c) widths[c] = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0));
    const int before[kColumns] = {widths[0], widths[1], widths[2], widths[3], widths[4]};
    for (const serial_page::Row& row : rows) {
        const std::string direction = serial_page::DirectionWord(row.direction);
        const std::string hex = serial_page::ListCell(row.hex, row.bytes.size());
        const std::string text = serial_page::ListCell(row.text, row.bytes.size());
        const std::string* cells[kColumns] = {&row.time, &direction, &row.verdict, &hex, &text};
        for (int c = 0; c < kColumns; ++c) {
            SetCell(list, count, c, *cells[c], true);
            widths[c] = std::max(widths[c], TextWidth(list, *cells[c]) + kCellMargins);
        }
        shown_.push_back(row.bytes);
        ++count;
    }
    for (int c = 0; c < kColumns; ++c) {
        if (widths[c] != before[c]) ::SendMessageW(list, LVM_SETCOLUMNWIDTH, c, widths[c]);
    }
    if (count > kListRows + kListDropBlock) {
        for (int i = 0; i < count - kListRows; ++i) {
            ::SendMessageW(list, LVM_DELETEITEM, 0, 0);
            shown_.pop_front();
        }
        count = kListRows;
    }
    ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1), FALSE);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

void CSerialView::ShowCounters() { SetText(IDC_SER_COUNTERS, serial_page::CountersText(session_.counters())); }

void CSerialView::SendFrame(const LinkBytes& frame) {
    if (!worker_.Running()) {
        SetText(IDC_SER_STATUS, "请先打开串口或连接");
        return;
    }
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->to_send.push_back(frame);
    }
    AddHistory(frame);
}

void CSerialView::AddHistory(const LinkBytes& frame) {
    serial_page::Remember(history_, frame);
    std::vector<std::vector<std::string>> rows;
    for (const LinkBytes& sent : history_) rows.push_back({HexLine(sent.data(), sent.size())});
    CListCtrl(Item(IDC_SER_HISTORY)).SetRows(rows);
}

void CSerialView::OnSend() {
    LinkBytes data;
    std::string error;
    const bool sound =
        ReadCheckChoice(error) && serial_page::SendBytes(Text(IDC_SER_SEND_TEXT), IsChecked(IDC_SER_HEX),
                                                         IsChecked(IDC_SER_UTF8) ? TextEncoding::kUtf8
                                                                                 : TextEncoding::kGbk,
                                                         data, error);
    if (!sound) {
        SetText(IDC_SER_STATUS, error);
        if (timer_) {
            ::KillTimer(m_hWnd, kSendTimer);
            timer_ = false;
            Check(IDC_SER_TIMED, false);
        }
        return;
    }
    SendFrame(check_ ? BuildLinkFrame(*check_, data) : data);
}

void CSerialView::OnTimed() {
    if (timer_) {
        ::KillTimer(m_hWnd, kSendTimer);
        timer_ = false;
    }
    if (!IsChecked(IDC_SER_TIMED)) return;
    std::string period = Text(IDC_SER_PERIOD);
    int ms = 0;
    std::string error;
    if (!serial_page::ReadGapMs(period, ms, error) || ms < 10) {
        SetText(IDC_SER_STATUS, "定时发送的间隔应为 10 到 60000 毫秒");
        Check(IDC_SER_TIMED, false);
        return;
    }
    timer_ = ::SetTimer(m_hWnd, kSendTimer, static_cast<UINT>(ms), nullptr) != 0;
}

void CSerialView::OnPause() {
    session_.SetPaused(IsChecked(IDC_SER_PAUSE));
    if (!session_.paused()) TakeEvents();
}

void CSerialView::OnClear() {
    session_.Clear();
    shown_.clear();
    CListCtrl(Item(IDC_SER_LIST)).DeleteAllItems();
    ShowCounters();
}

void CSerialView::OnSave() {
    CFileDialog dialog(false, "log", AfxUtf8ToGbk("日志 (*.log;*.txt)|*.log;*.txt|所有文件 (*.*)|*.*|").c_str(),
                       m_hWnd);
    dialog.SetFileName("serial.log");
    if (dialog.DoModal() != IDOK) return;
    // UTF-8 with its mark, so that an editor on a GBK system reads ✔ and 收.
    if (!WriteSmallFile(dialog.GetPathName(), "\xEF\xBB\xBF" + session_.LogText())) {
        SetText(IDC_SER_STATUS, "无法写入 " + dialog.GetPathName());
        return;
    }
    SetText(IDC_SER_STATUS, "已保存 " + std::to_string(session_.rows().size()) + " 行到 " + dialog.GetPathName());
}

std::vector<LinkBytes> CSerialView::SelectedFrames() const {
    std::vector<LinkBytes> frames;
    HWND list = Item(IDC_SER_LIST);
    for (int row = -1;
         (row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;) {
        if (static_cast<size_t>(row) < shown_.size()) frames.push_back(shown_[static_cast<size_t>(row)]);
    }
    return frames;
}

void CSerialView::OnToFind() {
    const std::vector<LinkBytes> frames = SelectedFrames();
    if (frames.empty()) {
        SetText(IDC_SER_STATUS, "请先在列表中选择帧（可多选）");
        return;
    }
    host_.OpenInFindPage(serial_page::FramesText(frames));
}

void CSerialView::OnToFrame() {
    const std::vector<LinkBytes> frames = SelectedFrames();
    if (frames.empty()) {
        SetText(IDC_SER_STATUS, "请先在列表中选择一帧");
        return;
    }
    frame_page::Form form;
    form.check = model_.empty() ? "CRC-16/MODBUS" : model_;
    form.order = IsChecked(IDC_SER_LE) ? frame_page::Order::kLittleEndian : frame_page::Order::kBigEndian;
    form.data = serial_page::FramesText({frames.front()});
    host_.OpenInFramePage(form, true);
}

void CSerialView::OnToNumbers() {
    const std::vector<LinkBytes> frames = SelectedFrames();
    if (frames.empty()) {
        SetText(IDC_SER_STATUS, "请先在列表中选择一帧");
        return;
    }
    host_.OpenInNumberPage(serial_page::FramesText({frames.front()}));
}
