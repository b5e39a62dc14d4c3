#include "maker/compiler/compiler.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>

#include "common/program_trailer.h"
#include "common/settings_keys.h"
#include "maker/compiler/menu_entry.h"
#include "maker/dialogs/position_dialog.h"
#include "maker/dialogs/window_dialog.h"
#include "maker/forms.h"
#include "maker/mainwindow/main_window.h"
#include "platform/application.h"
#include "platform/question_box.h"

namespace kelvane {
namespace {

using Source = std::function<Value(Forms&)>;

Source text_of(Gtk::Entry& (*field)(Forms&)) {
    return [field](Forms& forms) { return Value(field(forms).get_text().raw()); };
}

// Where each key comes from.
const std::map<std::string_view, Source>& sources() {
    static const std::map<std::string_view, Source> table = [] {
        std::map<std::string_view, Source> t = {
            {"Caption", text_of([](Forms& f) -> Gtk::Entry& { return f.Form1().Text2; })},
            {"Text", text_of([](Forms& f) -> Gtk::Entry& { return f.Form1().Text3; })},
            {"Text1", text_of([](Forms& f) -> Gtk::Entry& { return f.Form1().Text4; })},
            {"color", text_of([](Forms& f) -> Gtk::Entry& { return f.Form1().Text5; })},
            {"back", text_of([](Forms& f) -> Gtk::Entry& { return f.Form1().Text6; })},
            {"refresh", text_of([](Forms& f) -> Gtk::Entry& { return f.Form1().Text7; })},
            {"picture", [](Forms& f) { return Value(f.Form1().Image1.picture()); }},
            {"picture1", [](Forms& f) { return Value(f.Form1().Image2.picture()); }},
            {"value", [](Forms& f) { return Value(std::int16_t(f.Form1().Check1.get_active() ? 1 : 0)); }},
            {"url", text_of([](Forms& f) -> Gtk::Entry& { return f.Form1().Text8; })},
            // The window dialog's first two fields are the height and the width.
            {"custom21", text_of([](Forms& f) -> Gtk::Entry& { return f.Form3().Text2; })},
            {"custom22", text_of([](Forms& f) -> Gtk::Entry& { return f.Form3().Text1; })},
            {"custom23", text_of([](Forms& f) -> Gtk::Entry& { return f.Form3().Text3; })},
            {"custom24", text_of([](Forms& f) -> Gtk::Entry& { return f.Form3().Text4; })},
            {"custom25", text_of([](Forms& f) -> Gtk::Entry& { return f.Form3().Text5; })},
            {"custom26", text_of([](Forms& f) -> Gtk::Entry& { return f.Form3().Text6; })},
        };
        for (const LayoutField& field : kLayoutFields)
            t[field.key] = [n = field.field](Forms& f) { return Value(f.Form2().Text(n).get_text().raw()); };
        return t;
    }();
    return table;
}

std::string describe(int error) { return std::strerror(error); }

// Copies the whole of `from` to `to`, inside the kernel where it can; 0 or the errno of
// the failure.
int copy_all(int from, int to) {
    for (;;) {
        ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (n > 0) continue;
        if (n == 0) return 0;
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) return errno;
        break;  // not between these two files: copy through a buffer from where it stopped
    }
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(to, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) return errno;
            done += w;
        }
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, reporting what a late write failure looks like; 0 or errno.
    int close() {
        int result = ::close(fd_) == 0 ? 0 : errno;
        fd_ = -1;
        return result;
    }

private:
    int fd_;
};

// What the user's programs are usually made with: everything the umask allows.
mode_t new_program_mode() {
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0777 & ~mask;
    }();
    return mode;
}

// Why `target` must never be replaced, whatever name or link reaches it; empty when it
// may be. Compared as the file system sees them: the same file is the same device and inode.
std::string never_replaced(const std::filesystem::path& target, const std::filesystem::path& template_path) {
    std::error_code ec;
    if (std::filesystem::equivalent(target, template_path, ec))
        return "this is the template that every program is made from; choose another name";
    if (std::filesystem::equivalent(target, own_file(), ec)) return "this is the maker itself; choose another name";
    return {};
}

// Whether a file stands at `target` that is not a program made here: anything but a
// folder (which the rename refuses anyway) and a program with a readable trailer.
bool holds_something_else(const std::filesystem::path& target) {
    struct stat entry {};
    if (::lstat(target.c_str(), &entry) != 0 || S_ISDIR(entry.st_mode)) return false;
    // Only a regular file is read: a pipe or a device would block or never end.
    struct stat file {};
    return ::stat(target.c_str(), &file) != 0 || !S_ISREG(file.st_mode) || read_trailer(target).empty();
}

bool user_agrees_to_replace(const std::filesystem::path& target) {
    Question question;
    question.title = "Kelvane";
    question.text = Glib::ustring::compose("\"%1\" in %2 is not a program made with Kelvane.\n\n"
                                           "Replace it with the new program? What it holds now will be lost.",
                                           target.filename().string(), target.parent_path().string());
    return YesNoBox(question);
}

}  // namespace

Value MakerSettings::read(std::string_view key) const {
    auto it = sources().find(key);
    return it == sources().end() ? Value() : it->second(forms_);
}

SettingsRecord gather_settings(Forms& forms) {
    MakerSettings settings(forms);
    SettingsRecord record;
    for (const SettingsKey& key : kSettingsKeys) record.WriteProperty(key.name, settings.read(key.name));
    return record;
}

CompileResult compile_program(const SettingsRecord& record, const std::filesystem::path& folder,
                              const std::string& file_name) {
    if (file_name.empty() || file_name == "." || file_name == ".." || file_name.find('/') != std::string::npos ||
        file_name.find('\0') != std::string::npos)
        return {"\"" + file_name + "\" is not a name a file may have"};

    const std::filesystem::path template_path = folder / "browser.dat";
    const std::filesystem::path target = folder / file_name;
    FileDescriptor source(::open(template_path.c_str(), O_RDONLY | O_CLOEXEC));
    if (source.get() < 0) return {template_path.string() + ": " + describe(errno)};
    if (const std::string why = never_replaced(target, template_path); !why.empty())
        return {target.string() + ": " + why};

    // A program the user made read-only is not replaced. Write permission is what the
    // user may do; the write bits also count for root, whom permissions do not stop.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ((existing.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
        return {target.string() + ": " + describe(EACCES)};
    if (holds_something_else(target) && !user_agrees_to_replace(target))
        return {target.string() + ": kept, as the user chose", true};

    // A short name of its own, so that any name the folder takes also fits here.
    std::string temporary = (folder / ".kelvane-XXXXXX").string();
    FileDescriptor output(::mkstemp(temporary.data()));
    if (output.get() < 0) return {folder.string() + ": " + describe(errno)};

    int error = copy_all(source.get(), output.get());
    std::string what = template_path.string();
    if (!error) {
        what = target.string();
        error = append_trailer(output.get(), record).value();
    }
    if (!error && ::fchmod(output.get(), new_program_mode()) != 0) error = errno;
    if (!error) error = output.close();
    // A folder of that name makes the rename fail, and stays as it was.
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(temporary.c_str());
        return {what + ": " + describe(error)};
    }
    // The program is made: an entry that cannot be written is left out, and said so.
    std::error_code ignored;
    if (const std::string problem = install_menu_entry(record, std::filesystem::absolute(target, ignored));
        !problem.empty())
        std::cerr << "kelvanemaker: no menu entry for " << target.string() << ": " << problem << '\n';
    return {};
}

}  // namespace kelvane
