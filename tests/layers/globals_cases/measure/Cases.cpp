// Cases for check_globals.sh: every line marked FLAG (in a comment at its
// end) must be reported, and no other. Never compiled.
#include "x.h"
#define FOO(a) \
    int macro_var = a;
namespace ivra {
namespace {
QPointer<TfrmX> g_form;                      // FLAG
const QString kName = QStringLiteral("{;");  // ok
constexpr int kN = 3;                        // ok
static const char* const kNames[] = {"a", "b"}; // ok
std::function<void(int)> g_hook;            // FLAG
int g_count{0};                              // FLAG
std::vector<int> g_list = {                  // FLAG
    1, 2};
static int Helper(int a = 3) { return a; }   // ok
class TThing : public QObject {
    Q_OBJECT
public:
    static int Count;                        // FLAG
    static TThing& Get();                    // ok
    static constexpr int N = 2;              // ok
    int member_ = 0;                         // ok
};
/* int commented = 1; */
} // namespace
int TThing::Count = 0;                       // FLAG
TThing::TThing() = default;                  // ok
TThing& TThing::operator=(const TThing&) = default; // ok
void F(int x);                               // ok
QFont& Font() {
    static QFont font("Sans", 3);            // FLAG
    static const QFont fixed;                // ok
    thread_local int scratch = 0;            // FLAG
    const char c = '{';
    for (int i = 0; i < 3; ++i) { x(i); }
    auto l = [&] { static int inner; return inner; }; // FLAG
    struct TLocal { static void Go() {} };   // ok
    return font;
}
template <class T> T& Get() {
    static T t;                              // FLAG
    return t;
}
extern bool SomeMode;                        // FLAG
Q_GLOBAL_STATIC(QString, g_text)             // FLAG
} // namespace ivra
