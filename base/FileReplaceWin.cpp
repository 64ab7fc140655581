// Replacing a file on Windows: a unique file beside it, flushed to the disk and moved over it
// (MoveFileEx, written through); where the folder refuses it, the file itself, grown first.
#include <windows.h>

#include <QDir>

#include "base/FileReplace.h"

namespace {
LPCWSTR Wide(const QString& path) {
    return reinterpret_cast<LPCWSTR>(path.utf16());
}

bool WriteAll(HANDLE file, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(qMin<qsizetype>(bytes.size() - done, 1 << 20));
        if (!::WriteFile(file, bytes.constData() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

enum class Outcome { Written, Failed, NoTemporary };
Outcome ReplaceThroughTemporary(const QString& path, const QByteArray& content) {
    QString temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = path + QStringLiteral(".%1%2")
                               .arg(::GetCurrentProcessId(), 0, 36)
                               .arg(::GetTickCount64() + attempt, 0, 36);
        file = ::CreateFileW(Wide(temporary), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) return Outcome::NoTemporary;
    const bool written = WriteAll(file, content) && ::FlushFileBuffers(file);
    if (::CloseHandle(file) && written &&
        ::MoveFileExW(Wide(temporary), Wide(path),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Outcome::Written;
    ::DeleteFileW(Wide(temporary));
    return Outcome::Failed;
}

bool RewriteInPlace(const QString& path, const QByteArray& content) {
    const HANDLE file = ::CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER oldSize{};
    bool ok = ::GetFileSizeEx(file, &oldSize);
    LARGE_INTEGER size{};
    size.QuadPart = content.size();
    // The room first: a full disk refuses the growth before anything is overwritten.
    if (ok && size.QuadPart > oldSize.QuadPart)
        ok = ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    LARGE_INTEGER start{};
    ok = ok && ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && WriteAll(file, content) &&
         ::SetEndOfFile(file) && ::FlushFileBuffers(file);
    return ::CloseHandle(file) && ok;
}
}  // namespace

namespace FileReplace {
bool Replace(const QString& path, const QByteArray& content) {
    const QString native = QDir::toNativeSeparators(path);
    if (::GetFileAttributesW(Wide(native)) == INVALID_FILE_ATTRIBUTES) return false;
    switch (ReplaceThroughTemporary(native, content)) {
        case Outcome::Written:
            return true;
        case Outcome::Failed:
            return false;
        case Outcome::NoTemporary:
            return RewriteInPlace(native, content);
    }
    return false;
}
}  // namespace FileReplace
