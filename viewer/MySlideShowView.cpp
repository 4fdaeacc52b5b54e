#include "viewer/MySlideShowView.h"

#include <cstdlib>
#include <new>
#include <vector>

#include "framework/MessageBox.h"
#include "image/JpegFile.h"
#include "viewer/MyScrollView.h"
#include "viewer/SlideShowFrame.h"
#include "viewer/SlideTransition.h"

namespace {

uint64_t RealNow() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<uint64_t>(now.QuadPart / frequency * 1000000 + now.QuadPart % frequency * 1000000 / frequency);
}

void RealSleep(unsigned milliseconds) { Sleep(milliseconds); }

SlidePacing& Pacing() {
  static SlidePacing pacing{&RealNow, &RealSleep};
  return pacing;
}

// A key press or a click waiting for this thread ends the transition: the show answers at once.
// Key releases do not count, or the release of the key that started the show would end its first
// transition.
bool InputWaiting() {
  MSG msg;
  constexpr UINT kPresses[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
  for (UINT message : kPresses)
    if (PeekMessageA(&msg, nullptr, message, message, PM_NOREMOVE | PM_NOYIELD)) return true;
  return false;
}

// Waits until `deadline` (microseconds of the pacing clock).
void WaitUntil(uint64_t deadline) {
  const uint64_t now = Pacing().nowMicroseconds();
  if (deadline > now) Pacing().sleep(static_cast<unsigned>((deadline - now + 999) / 1000));
}

}  // namespace

void SetSlidePacing(const SlidePacing& pacing) {
  Pacing().nowMicroseconds = pacing.nowMicroseconds ? pacing.nowMicroseconds : &RealNow;
  Pacing().sleep = pacing.sleep ? pacing.sleep : &RealSleep;
}

SlideTransitionChoice ChooseSlideTransition() {
  SlideTransitionChoice choice;
  choice.effect = TransitionEffectOf(rand());
  if (choice.effect == 13 || choice.effect == 14) choice.strips = InterleaveStripsOf(rand());
  return choice;
}

int RunSlideTransition(HDC target, HDC source, int width, int height, SlideTransitionChoice choice) {
  const uint64_t pause = static_cast<uint64_t>(TransitionPause(choice.effect)) * 1000;
  std::vector<SlideBlit> blits;
  uint64_t deadline = Pacing().nowMicroseconds();
  int step = 0;
  for (; TransitionStep(choice.effect, width, height, choice.strips, step, blits); ++step) {
    if (InputWaiting()) break;
    for (const SlideBlit& b : blits) BitBlt(target, b.x, b.y, b.width, b.height, source, b.sourceX, b.sourceY, SRCCOPY);
    GdiFlush();
    // The pause runs from the step's start, so drawing does not lengthen the effect.
    deadline += pause;
    if (pause) WaitUntil(deadline);
  }
  // Some effects leave rows or columns out (the last few rows of a wipe, the first row of the
  // interleaved rows): the whole picture is on screen at the end in every case.
  BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
  GdiFlush();
  return step;
}

const CRuntimeClass CMySlideShowView::kClass{"CMySlideShowView", &CScrollView::kClass,
                                             &CreateObjectOf<CMySlideShowView>};
const MessageMap CMySlideShowView::kMessageMap{
    &CScrollView::kMessageMap,
    {
        OnMessage(WM_KEYDOWN, &CMySlideShowView::OnKeyDown),
        OnMessage(WM_LBUTTONDOWN, &CMySlideShowView::OnLButtonDown),
    },
};

const char* CMySlideShowView::ViewClass() const {
  return RegisterClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

bool CMySlideShowView::Create(CWnd* parent, UINT id, const RECT& rect, DWORD style) {
  return CreateEx(0, ViewClass(), "", style, rect, parent, id);
}

void CMySlideShowView::SetImage(const std::string& path) {
  // The old picture goes first: a 32-bit process may not hold two large ones at once. Out of
  // memory gives no picture: a black slide, as for a file that cannot be decoded.
  picture_.reset();
  picture_ = ReadPictureForDisplay(path);
  try {
    path_ = path;
  } catch (const std::bad_alloc&) {
    picture_.reset();
  }
  transitionPending_ = true;
  InvalidateRect(m_hWnd, nullptr, TRUE);
  // Last: the box is a yield point, after which this view may be gone.
  if (picture_ && !picture_->warning.empty()) AfxMessageBox(picture_->warning.c_str(), MB_OK, kJpegErrorCaption);
}

void CMySlideShowView::Reveal() {
  UpdateWindow();
  // A window that is not painted (hidden, or gone off screen) still counts its picture as shown.
  if (transitionPending_) PictureWhole();
}

void CMySlideShowView::PictureWhole() {
  transitionPending_ = false;
  if (CSlideShowFrame* frame = CSlideShowFrame::FromHandle(GetParent(m_hWnd))) frame->PictureWhole();
}

void CMySlideShowView::OnInitialUpdate() {
  CScrollView::OnInitialUpdate();
  SetScrollSizes(MM_TEXT, SIZE{0, 0});
}

void CMySlideShowView::OnDraw(HDC dc) {
  // A new picture is revealed once; any later paint draws it whole.
  if (!transitionPending_) {
    Present(dc, std::nullopt);
    return;
  }
  Present(dc, ChooseSlideTransition());
  PictureWhole();
}

int CMySlideShowView::Present(HDC dc, std::optional<SlideTransitionChoice> choice) {
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, RGB(0, 0, 0));
  if (path_.empty() || !picture_ || !picture_->bits) return -1;
  const CDib& picture = *picture_;
  const RECT client = GetClientRect();
  const ComposedSize size =
      SlideComposedSize(static_cast<int>(picture.width), static_cast<int>(picture.height), client.right, client.bottom,
                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  if (size.width <= 0 || size.height <= 0) return -1;
  const RECT composed{0, 0, size.width, size.height};
  SetStretchBltMode(dc, COLORONCOLOR);
  // Only the composed area is ever copied, so the off-screen picture has that size, not the
  // photo's: a few megabytes instead of tens for a large photo.
  if (!choice) {
    DrawPicture(dc, picture, composed);
    return 0;
  }
  DibCanvas canvas(size.width, size.height);
  if (!canvas.Valid()) {
    // No memory for the off-screen picture: draw it directly, without a transition.
    DrawPicture(dc, picture, composed);
    return -1;
  }
  DrawPicture(canvas.Dc(), picture, composed);
  return RunSlideTransition(dc, canvas.Dc(), size.width, size.height, *choice);
}

LRESULT CMySlideShowView::OnKeyDown(WPARAM wParam, LPARAM lParam) {
  // The show's keys work while the view has the focus.
  ::SendMessageA(GetParent(m_hWnd), WM_KEYDOWN, wParam, lParam);
  return Default();
}

LRESULT CMySlideShowView::OnLButtonDown(WPARAM, LPARAM) {
  if (CSlideShowFrame* frame = CSlideShowFrame::FromHandle(GetParent(m_hWnd))) frame->TogglePause();
  return Default();
}
