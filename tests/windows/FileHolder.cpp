// Another program for the sharing tests: holds a file open, or appends record
// lines to it, the way an editor or a machine on the line does.
//
//   qz-file-holder hold FILE READY-FILE        open FILE (reading, sharing
//                                              reading and writing), create
//                                              READY-FILE, wait for stdin to close
//   qz-file-holder write FILE READY-FILE       the same, open for writing
//   qz-file-holder append FILE READY-FILE N    open FILE for appending (sharing
//                                              reading and writing), create
//                                              READY-FILE, append N lines, one
//                                              every millisecond, flushed each
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void CreateReadyFile(const wchar_t* path) {
    CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        return 2;
    }
    const std::wstring mode = argv[1];
    const bool append = mode == L"append";
    const DWORD access = append             ? FILE_APPEND_DATA
                         : mode == L"write" ? GENERIC_WRITE
                                            : GENERIC_READ;
    const HANDLE file = CreateFileW(argv[2], access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open the file: error %lu\n", GetLastError());
        return 1;
    }
    CreateReadyFile(argv[3]);
    if (!append) {
        char byte;
        while (std::fread(&byte, 1, 1, stdin) == 1) {
        }
    } else {
        const int lines = argc > 4 ? _wtoi(argv[4]) : 0;
        for (int i = 0; i < lines; ++i) {
            const std::string line =
                "2018/05/03 10:00:00,setting.cfg,BOARD-" + std::to_string(i) + ",OK\r\n";
            DWORD written = 0;
            if (!WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
                !FlushFileBuffers(file)) {
                return 1;
            }
            Sleep(1);
        }
    }
    CloseHandle(file);
    return 0;
}
