#pragma once

// The window system of the UI thread: the window tree, the message queue and loop, timers,
// painting and input. One exists at a time (the application's, or a test's); the thread that
// creates it is the UI thread. Only Post, PostTask, the Inject calls and Wake may be called
// from other threads.
//
// Order of work, as the device's loop had it: posted messages and input first, in the order they
// came; then due timers, each as WM_TIMER; then painting, once nothing else is pending. The loop
// sleeps until a post, input or the next timer: it never polls.

#include "platform/backends/DisplayBackend.h"
#include "platform/core/Messages.h"
#include "platform/draw/DeviceContext.h"
#include "platform/draw/Surface.h"
#include "platform/loop/MessageQueue.h"
#include "platform/loop/TimerSet.h"
#include "platform/win/WindowNode.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

class Window;
class DeviceContext;
class TopLevelObserver;
class Clock;
struct PAINTSTRUCT;

class WindowSystem {
public:
    static constexpr SIZE kScreenSize { 480, 272 };
    static constexpr uint32_t kDoubleClickMs = 500;
    static constexpr int kDoubleClickDistance = 8;
    static constexpr int kHandleProcessShift = 24;
    static uint32_t ProcessOfHandle(HWND hwnd) { return uint32_t(reinterpret_cast<uintptr_t>(hwnd) >> kHandleProcessShift); }

    // Without a backend the screen is headless.
    explicit WindowSystem(std::unique_ptr<DisplayBackend> backend = nullptr, SIZE screen = kScreenSize);
    ~WindowSystem();
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;

    static WindowSystem* Current();

    // ---- loop (UI thread) ----
    // Runs until WM_QUIT; returns its exit code.
    int Run();
    // Does one piece of pending work; false when there was none.
    bool ProcessNext();
    // A nested loop that dispatches everything until done() holds or quit is asked for (the quit
    // is left for the outer loop).
    void RunModalLoop(const std::function<bool()>& done);
    // Runs the loop until done() holds (true) or the real-time limit passes (false).
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Processes until nothing is pending: no posted message, no due timer, no paint.
    void Idle();
    // Virtual clock: moves time on by `ms`, firing due timers in order and processing what they
    // cause in between, then idles.
    void Advance(uint64_t ms);
    // The same, without blocking: `done` runs once time has moved and everything is processed.
    // It progresses from whichever loop runs, so a message box opened on the way does not stop it.
    void AdvanceAsync(uint64_t ms, std::function<void()> done);
    // Runs `hook` the next time the loop (the main one or a nested one) has nothing to do.
    void WhenIdle(std::function<void()> hook);
    void PostQuitMessage(int exitCode);
    bool QuitRequested() const { return m_quit; }
    bool HasPendingWork();

    // ---- messages ----
    bool Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam); // any thread
    void PostTask(std::function<void()> task);                        // any thread
    LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // ---- input (any thread): screen coordinates ----
    void InjectMouse(UINT message, int x, int y);
    void InjectKey(UINT virtualKey);

    // ---- windows (UI thread) ----
    bool IsWindow(HWND hwnd) const;
    Window* FromHandle(HWND hwnd) const;
    const WindowNode* Node(HWND hwnd) const;
    std::vector<HWND> TopLevelWindows() const;
    // Bottom to top.
    std::vector<HWND> Children(HWND hwnd) const;
    // This process's windows only; FindWindowW also looks at other programs.
    HWND FindWindow(const char* className, const WString* title) const;
    HWND WindowFromPoint(POINT screenPoint) const;
    RECT ScreenRect(HWND hwnd) const;
    bool IsEffectivelyVisible(HWND hwnd) const;
    HWND GetForegroundWindow() const { return m_foreground; }
    bool SetForegroundWindow(HWND hwnd);
    HWND GetFocus() const { return m_focus; }
    void SetFocus(HWND hwnd);
    HWND GetCapture() const { return m_capture; }
    void SetCapture(HWND hwnd);
    void ReleaseCapture();

    // Told of top-level windows coming, retitled and going; null to stop. One at a time.
    void SetTopLevelObserver(TopLevelObserver* observer) { m_topLevelObserver = observer; }

    // ---- screen ----
    Surface& Screen() { return m_screen; }
    DisplayBackend& Backend() { return *m_backend; }
    // Paints everything pending now and presents it.
    void PaintPending();
    uint64_t PaintRounds() const { return m_paintRounds; }

    // The texts a window drew in its last paint, with their rectangles in screen coordinates and
    // how they looked.
    struct DrawnText {
        WString text;
        RECT rect;
        TextLook look;
    };
    const std::vector<DrawnText>& DrawnTexts(HWND hwnd) const;

    // Clipping the whole tree obeys: what is visible of a window, in screen coordinates.
    Region VisibleRegion(HWND hwnd) const;
    // What of a window waits for a paint, in its client coordinates.
    Region UpdateRegion(HWND hwnd) const;

private:
    friend class Window;

    // Tree (WindowTree.cpp).
    HWND CreateNode(Window* object, HWND parent, const RECT& rect, DWORD style, UINT id, const WString& text,
        DWORD exStyle);
    bool Destroy(HWND hwnd);
    void DestroyRecursive(WindowNode* node);
    bool Show(HWND hwnd, int command);
    bool Enable(HWND hwnd, bool enable);
    bool SetPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
    void PlaceInZOrder(WindowNode* node, HWND insertAfter);
    bool SetShape(HWND hwnd, const Region* region, bool redraw);
    WindowNode* Find(HWND hwnd) const;
    POINT ScreenOrigin(const WindowNode* node) const;
    bool IsEffectivelyVisible(const WindowNode* node) const;
    bool IsEffectivelyEnabled(const WindowNode* node) const;
    Region ShapeInParent(const WindowNode* node) const;
    void UpdateScreenVisibility();
    void NotifyTopLevelChanged(const WindowNode* node);

    // Painting (WindowPainting.cpp).
    // Without its children cut out (children are drawn over this area). `onScreen`: as the
    // screen shows it now, that is under windows that were shown but have not drawn yet.
    Region VisibleRegion(const WindowNode* node, bool onScreen = false) const;
    // With the children's area included: what disappears when the window goes.
    Region VisibleArea(const WindowNode* node, bool onScreen = false) const;
    Region ClipAgainstTree(const WindowNode* node, Region area, bool onScreen) const;
    bool IsNewlyShown(const WindowNode* node) const;
    bool InNewlyShown(const WindowNode* node) const;
    void InvalidateNode(WindowNode* node, const Region* area, bool erase);
    void InvalidateScreenArea(const Region& area, bool erase);
    // Hands the area (screen coordinates, inside the parent's visible part) to the parent's
    // children and their subtrees, taking out of it what they cover.
    void HandOut(WindowNode* parent, POINT parentOrigin, Region& area, bool erase);
    // What the window shows now (if anything) is to be painted again, with erase, by whichever
    // windows show it when painting is next asked about.
    void InvalidateAreaOf(const WindowNode* node);
    // A window just shown: its area is gathered when handed out, so that what it uncovers again
    // before drawing (a shape cut into it) is not painted again by the windows below.
    void GatherWhenHandedOut(WindowNode* node);
    // Hands the gathered area out to the windows that show it.
    void FlushInvalidAreas();
    void Validate(WindowNode* node, const Region* area);
    WindowNode* NextToPaint(WindowNode* from) const;
    bool PaintOne();
    void DispatchPaint(WindowNode* node);
    void PaintNow(WindowNode* node, bool withChildren);
    std::unique_ptr<DeviceContext> BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
    std::unique_ptr<DeviceContext> ClientContext(HWND hwnd);
    void Present();

    // Input (WindowInput.cpp).
    void HandleInput(const MSG& input);
    WindowNode* HitTest(WindowNode* node, POINT screenPoint) const;

    // Dispatch (WindowSystem.cpp).
    void Dispatch(const MSG& msg, bool pretranslate);
    bool FireDueTimer();
    void WaitForWork(std::optional<std::chrono::steady_clock::time_point> realDeadline);
    static void OnClockMoved(void* context);
    void AdvanceStep(uint64_t target, std::function<void()> done);
    std::vector<std::function<void()>> m_idleHooks;

    std::unique_ptr<DisplayBackend> m_backend;
    MessageQueue m_queue;
    TimerSet m_timers;
    Surface m_screen;
    WindowNode m_desktop;
    std::unordered_map<HWND, std::unique_ptr<WindowNode>> m_nodes;
    // Screen area to be painted again, with erase, not yet handed out to the windows.
    Region m_invalidArea;
    // Windows shown since then (a handful at most), whose area is added to it when it is
    // handed out: they have not drawn yet, so the screen still shows what lies under them.
    std::vector<const WindowNode*> m_newlyShown;
    // The handles that name live windows, for posts from other threads.
    std::mutex m_liveMutex;
    std::unordered_set<HWND> m_live;
    // Handles carry the process id in their upper bits, so a handle is unique across the device's
    // programs and names the program that owns the window.
    uintptr_t m_nextHandle = 0;

    TopLevelObserver* m_topLevelObserver = nullptr;

    bool m_quit = false;
    int m_exitCode = 0;
    HWND m_foreground = nullptr;
    HWND m_focus = nullptr;
    HWND m_capture = nullptr;
    HWND m_mouseOwner = nullptr;
    HWND m_lastDownWindow = nullptr;
    POINT m_lastDownPoint;
    uint64_t m_lastDownMs = 0;
    bool m_lastDownWasDouble = false;

    void ObserveTexts(DeviceContext& dc, HWND hwnd, POINT origin);
    std::unordered_map<HWND, std::vector<DrawnText>> m_drawnTexts;
    std::unordered_map<HWND, std::vector<DrawnText>> m_previousTexts;

    RECT m_dirty;
    uint64_t m_paintRounds = 0;
    bool m_beganPaint = false;
};
