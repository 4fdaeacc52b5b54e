#include "viewer/SlideTransition.h"

#include <algorithm>

namespace {

constexpr int kPauses[kTransitionEffects] = {100, 10, 35, 50, 10, 10, 20, 20, 10, 10, 10, 10, 10, 0, 0, 100, 60};
constexpr int kBlindsPitch = 20;

// Collects the copies of one step, each cut to the composed picture on both sides.
class StepBlits {
 public:
  StepBlits(int width, int height, std::vector<SlideBlit>& out) : width_(width), height_(height), out_(out) {
    out_.clear();
  }
  void Copy(int x, int y, int w, int h, int sourceX, int sourceY) {
    // Cut the rectangle where either its destination or its source leaves the picture.
    int left = std::max({0, -x, -sourceX});
    int top = std::max({0, -y, -sourceY});
    int right = std::min({w, width_ - x, width_ - sourceX});
    int bottom = std::min({h, height_ - y, height_ - sourceY});
    if (right <= left || bottom <= top) return;
    out_.push_back({x + left, y + top, right - left, bottom - top, sourceX + left, sourceY + top});
  }
  void InPlace(int x, int y, int w, int h) { Copy(x, y, w, h, x, y); }

 private:
  int width_;
  int height_;
  std::vector<SlideBlit>& out_;
};

// Steps S and T of the growing rectangles (effects 6, 7): the rectangle keeps roughly the
// picture's shape.
void GrowthSteps(int width, int height, int& s, int& t) {
  s = t = 3;
  if (height < width)
    s = width / height * 3;
  else if (width < height)
    t = height / width * 3;
}

// Effect 2: the corner blocks' steps.
void CornerSteps(int width, int height, int& dx, int& dy) {
  const int c = width / 2, b = height / 2;
  dx = dy = 2;
  if (b < c)
    dx = 2 * (c / b);
  else if (c < b)
    dy = 2 * (b / c);
}

// Effects that end after the step in which their shape is complete: has step `step` finished it?
bool LastStepDone(int effect, int width, int height, int step) {
  const long long k1 = step + 1;
  switch (effect) {
    case 2: {
      int dx = 0, dy = 0;
      CornerSteps(width, height, dx, dy);
      const long long w = dx * k1, h = dy * k1, c = width / 2, b = height / 2;
      return w > c && h > b && width - w <= c && height - h <= b;
    }
    case 6:
    case 7: {
      int s = 0, t = 0;
      GrowthSteps(width, height, s, t);
      bool across = effect == 6 ? s * k1 > width : width - s * k1 < 1;
      return across && t * k1 > height;
    }
    default: return false;
  }
}

bool StepExists(int effect, int width, int height, int strips, int step) {
  if (step < 0) return false;
  if (width < 2 || height < 2) return step == 0;
  const long long k = step;
  switch (effect) {
    case 0: return 1 + 10 * k <= height;
    case 1: return 1 + k <= width;
    case 2:
    case 6:
    case 7: return step == 0 || !LastStepDone(effect, width, height, step - 1);
    case 3: return 1 + 10 * k <= height;
    case 4: return 1 + 10 * k <= width;
    case 5:
    case 9:
    case 10: return 1 + 2 * k <= width;
    case 8:
    case 11:
    case 12: return 1 + 2 * k <= height;
    case 13: return 1 + k <= width;
    case 14: return 1 + k <= height;
    case 15:
    case 16: return k + 1 <= kBlindsPitch;
    default: return false;
  }
}

}  // namespace

int TransitionEffectOf(int r) { return r % kTransitionEffects; }

int InterleaveStripsOf(int r) { return std::clamp(r % 100, 24, 50); }

int TransitionPause(int effect) { return effect >= 0 && effect < kTransitionEffects ? kPauses[effect] : 0; }

bool TransitionStep(int effect, int width, int height, int strips, int step, std::vector<SlideBlit>& blits) {
  StepBlits out(width, height, blits);
  if (!StepExists(effect, width, height, strips, step)) return false;
  const int W = width, H = height, k = step;
  strips = std::max(strips, 1);
  if (W < 2 || H < 2) {
    // Too small for the effects' halvings and ratios: the whole picture at once.
    out.InPlace(0, 0, W, H);
    return true;
  }
  switch (effect) {
    case 0: out.InPlace(0, 0, W, 1 + 10 * k); break;
    case 1: out.InPlace(0, 0, 1 + k, H); break;
    case 2: {
      int dx = 0, dy = 0;
      CornerSteps(W, H, dx, dy);
      const int w = dx * (k + 1), h = dy * (k + 1), c = W / 2, b = H / 2;
      const int right = std::max(W - w, c), lower = std::max(H - h, b);
      out.InPlace(0, 0, std::min(w, c), std::min(h, b));
      out.InPlace(right, 0, w, std::min(h, b));
      out.InPlace(0, lower, std::min(w, c), h);
      out.InPlace(right, lower, w, h);
      break;
    }
    case 3: out.InPlace(0, H - 1 - 10 * k, W, 1 + 10 * k); break;
    case 4: out.InPlace(W - 1 - 10 * k, 0, 1 + 10 * k, H); break;
    case 5: out.InPlace((W - 1 - 2 * k) / 2, 0, 1 + 2 * k, H); break;
    case 6:
    case 7: {
      int s = 0, t = 0;
      GrowthSteps(W, H, s, t);
      const int across = s * (k + 1), down = std::min(t * (k + 1), H);
      if (effect == 6)
        out.InPlace(0, 0, std::min(across, W), down);
      else
        out.InPlace(W - across, 0, across, down);
      break;
    }
    case 8: out.InPlace(0, (H - 1 - 2 * k) / 2, W, 1 + 2 * k); break;
    case 9: out.Copy(W - 1 - 2 * k, 0, 1 + 2 * k, H, 0, 0); break;
    case 10: out.Copy(0, 0, 1 + 2 * k, H, W - 1 - 2 * k, 0); break;
    case 11: out.Copy(0, H - 1 - 2 * k, W, 1 + 2 * k, 0, 0); break;
    case 12: out.Copy(0, 0, W, 1 + 2 * k, 0, H - 1 - 2 * k); break;
    case 13: {
      const int s = H / strips, w = 1 + k;
      for (int j = 0; j < strips / 2; ++j) {
        out.Copy(W - w, 1 + 2 * j * s, w, s, 0, 1 + 2 * j * s);
        out.InPlace(0, 1 + (2 * j + 1) * s, w, s);
      }
      break;
    }
    case 14: {
      const int s = W / strips + 1, h = 1 + k;
      for (int j = 0; j < strips / 2; ++j) {
        out.InPlace(1 + 2 * j * s, 0, s, h);
        out.InPlace(1 + (2 * j + 1) * s, H - h, s, h);
      }
      break;
    }
    case 15:
      for (int i = 0; i <= H / kBlindsPitch; ++i) out.InPlace(0, kBlindsPitch * i, W, k + 1);
      break;
    case 16:
      for (int i = 0; i <= W / kBlindsPitch; ++i) out.InPlace(kBlindsPitch * i, 0, k + 1, H);
      break;
    default: return false;
  }
  return true;
}

int TransitionStepCount(int effect, int width, int height, int strips) {
  int steps = 0;
  while (StepExists(effect, width, height, strips, steps)) ++steps;
  return steps;
}

ComposedSize SlideComposedSize(int width, int height, int clientWidth, int clientHeight, int screenWidth,
                               int screenHeight) {
  if (width <= 0 || height <= 0) return {0, 0};
  if (clientWidth == width && clientHeight == height) return {width, height};
  return ScalePictureToClient(width, height, clientWidth, clientHeight, screenWidth, screenHeight);
}
