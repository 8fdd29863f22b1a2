// Serial ports through Win32: CreateFile, SetCommState, SetCommTimeouts and
// overlapped reads, and the ports from the SERIALCOMM registry key.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: setupapi.h needs its types.
#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "link/link.h"

namespace {

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], size);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], size, nullptr, nullptr);
    return utf8;
}

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0,
                   nullptr);
    std::string message = text != nullptr ? Narrow(text) : "error " + std::to_string(code);
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return message;
}

// How often an idle port is asked for bytes, in milliseconds: short beside
// the silences frames are cut by (20 ms by default); at 921600 baud the
// bytes of one wait fill a twentieth of the buffer.
constexpr DWORD kPollMs = 2;

const char kGone[] = "the port went away (cable pulled or device removed)";

bool Gone(DWORD code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_BAD_COMMAND || code == ERROR_DEVICE_NOT_CONNECTED ||
           code == ERROR_GEN_FAILURE || code == ERROR_OPERATION_ABORTED || code == ERROR_FILE_NOT_FOUND;
}

DWORD WaitMs(LinkTime timeout_us) {
    if (timeout_us < 0) return INFINITE;
    return static_cast<DWORD>(std::min<LinkTime>((timeout_us + 999) / 1000, 0x7FFFFFFF));
}

class SerialLink : public Link {
public:
    SerialLink(HANDLE handle, std::string name) : handle_(handle), name_(std::move(name)) {
        read_event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        write_event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~SerialLink() override {
        if (reading_) {
            // The read still owns buffer_ until it is seen to end.
            CancelIo(handle_);
            DWORD got = 0;
            GetOverlappedResult(handle_, &read_, &got, TRUE);
        }
        CloseHandle(handle_);
        CloseHandle(read_event_);
        CloseHandle(write_event_);
    }

    // Each read returns at once with what the port holds (MAXDWORD, 0, 0:
    // SetCommTimeouts below), and the port is asked again every
    // kPollMs until bytes come or `timeout_us` has passed. A read that waits
    // for the first byte (MAXDWORD, MAXDWORD, a constant) is Win32's way,
    // but Wine on a pty waits for the whole buffer instead, a read with a
    // total time-out there may lose what came as it timed out, and
    // WaitCommEvent fails: asking again works on both.
    LinkRead Read(LinkTime timeout_us) override {
        LinkRead result;
        const DWORD budget = WaitMs(timeout_us);
        const ULONGLONG start = GetTickCount64();
        for (;;) {
            if (!reading_) {
                OVERLAPPED blank{};
                read_ = blank;
                read_.hEvent = read_event_;
                ResetEvent(read_event_);
                DWORD got = 0;
                if (ReadFile(handle_, buffer_, sizeof buffer_, &got, &read_)) {
                    if (got > 0) return Finished(got, result);
                } else {
                    const DWORD code = GetLastError();
                    if (code != ERROR_IO_PENDING) return Failed(code, result);
                    reading_ = true;
                }
            }
            const ULONGLONG spent = GetTickCount64() - start;
            const DWORD left = budget == INFINITE ? INFINITE : spent >= budget ? 0 : static_cast<DWORD>(budget - spent);
            if (reading_) {
                // Pending all the same (the system may queue even a read
                // that has nothing to wait for): its end is waited for.
                if (WaitForSingleObject(read_event_, left) != WAIT_OBJECT_0) return result;
                reading_ = false;
                DWORD got = 0;
                if (!GetOverlappedResult(handle_, &read_, &got, FALSE)) return Failed(GetLastError(), result);
                if (got > 0) return Finished(got, result);
            }
            if (left == 0) return result;
            Sleep(std::min<DWORD>(left, kPollMs));
        }
    }

    long long WriteSome(const unsigned char* bytes, std::size_t size, LinkTime timeout_us,
                        std::string& error) override {
        OVERLAPPED write{};
        write.hEvent = write_event_;
        ResetEvent(write_event_);
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 16));
        if (!WriteFile(handle_, bytes, chunk, &done, &write)) {
            const DWORD code = GetLastError();
            if (code != ERROR_IO_PENDING) {
                error = Gone(code) ? kGone : SystemMessage(code);
                return -1;
            }
            // A write once started is waited for: cancelling it would leave
            // unknown how much went out.
            (void)timeout_us;
            if (!GetOverlappedResult(handle_, &write, &done, TRUE)) {
                const DWORD failed = GetLastError();
                error = Gone(failed) ? kGone : SystemMessage(failed);
                return -1;
            }
        }
        return static_cast<long long>(done);
    }

    std::string Name() const override { return name_; }

private:
    LinkRead& Finished(DWORD got, LinkRead& result) {
        result.time = LinkNow();
        if (got > 0) {
            result.status = LinkRead::kData;
            result.bytes.assign(buffer_, buffer_ + got);
        }
        return result;
    }
    LinkRead& Failed(DWORD code, LinkRead& result) {
        reading_ = false;
        result.status = Gone(code) ? LinkRead::kClosed : LinkRead::kError;
        result.error = Gone(code) ? kGone : SystemMessage(code);
        return result;
    }

    HANDLE handle_;
    std::string name_;
    HANDLE read_event_, write_event_;
    OVERLAPPED read_{};
    bool reading_ = false;
    unsigned char buffer_[4096];
};

std::string OpenError(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "no such port";
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            // Windows opens a port for one program only: denied means taken.
            return "busy (another program has it open)";
        default:
            return SystemMessage(code);
    }
}

}  // namespace

std::unique_ptr<Link> OpenSerialLink(const std::string& port, const SerialSettings& s, std::string& error) {
    // \\.\COM10: ports above COM9 are reached only by the device path.
    const std::string path = port.rfind("\\\\.\\", 0) == 0 ? port : "\\\\.\\" + port;
    const HANDLE handle = CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = OpenError(GetLastError());
        return nullptr;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) {
        error = "not a serial port";
        CloseHandle(handle);
        return nullptr;
    }
    dcb.BaudRate = static_cast<DWORD>(s.baud);
    dcb.ByteSize = static_cast<BYTE>(s.data_bits);
    static const BYTE kParities[] = {NOPARITY, EVENPARITY, ODDPARITY, MARKPARITY, SPACEPARITY};
    dcb.Parity = kParities[static_cast<int>(s.parity)];
    dcb.fParity = s.parity != Parity::kNone;
    dcb.StopBits = s.stop_bits == StopBits::kOne ? ONESTOPBIT : s.stop_bits == StopBits::kOneAndHalf ? ONE5STOPBITS
                                                                                                     : TWOSTOPBITS;
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = s.flow == FlowControl::kRtsCts;
    dcb.fRtsControl = s.flow == FlowControl::kRtsCts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fOutX = dcb.fInX = s.flow == FlowControl::kXonXoff;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    if (!SetCommState(handle, &dcb)) {
        error = "the driver refuses " + std::to_string(s.baud) + " baud " + FramingWord(s);
        CloseHandle(handle);
        return nullptr;
    }
    // A read returns at once with what is there (SerialLink::Read asks
    // again): Win32's documented combination for that.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    SetCommTimeouts(handle, &timeouts);
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    return std::make_unique<SerialLink>(handle, port);
}

namespace {

// The names Device Manager shows ("USB-SERIAL CH340 (COM3)"), by port, of the
// devices of the class Ports that are present.
std::map<std::wstring, std::wstring> FriendlyNames() {
    std::map<std::wstring, std::wstring> names;
    const HDEVINFO devices = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) return names;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        wchar_t friendly[256] = {}, port[64] = {};
        DWORD type = 0;
        if (!SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, &type,
                                               reinterpret_cast<BYTE*>(friendly), sizeof friendly - sizeof(wchar_t),
                                               nullptr)) {
            continue;
        }
        const HKEY key = SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        DWORD size = sizeof port - sizeof(wchar_t);
        if (RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(port), &size) == ERROR_SUCCESS &&
            type == REG_SZ) {
            names[port] = friendly;
        }
        RegCloseKey(key);
    }
    SetupDiDestroyDeviceInfoList(devices);
    return names;
}

}  // namespace

std::vector<PortInfo> ListSerialPorts() {
    std::vector<PortInfo> ports;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return ports;
    }
    const std::map<std::wstring, std::wstring> friendly = FriendlyNames();
    for (DWORD i = 0;; ++i) {
        wchar_t name[256], value[256];
        DWORD name_size = 256, value_size = sizeof value, type = 0;
        if (RegEnumValueW(key, i, name, &name_size, nullptr, &type, reinterpret_cast<BYTE*>(value), &value_size) !=
            ERROR_SUCCESS) {
            break;
        }
        if (type != REG_SZ) continue;
        value[std::min<DWORD>(value_size / sizeof(wchar_t), 255)] = L'\0';
        // The value is the port (COM3); the name the driver's device
        // (\Device\Serial0), shown where the system has no friendlier one.
        const auto found = friendly.find(value);
        ports.push_back({Narrow(value), Narrow(found != friendly.end() ? found->second : std::wstring(name))});
    }
    RegCloseKey(key);
    std::sort(ports.begin(), ports.end(), [](const PortInfo& a, const PortInfo& b) {
        return a.name.size() != b.name.size() ? a.name.size() < b.name.size() : a.name < b.name;
    });
    return ports;
}
