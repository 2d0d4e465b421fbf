// The built-in transition effects: 54 mask effects that draw the opacity of the new
// picture per cell for a progress of 0..100, two cell-move effects and two that draw
// their frames themselves.
#include "skin/engine/te_effect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace dvr::skin {

void DrawMaskLine(uint8_t* Mask, int Cols, int Rows, int X1, int Y1, int X2, int Y2,
                  uint8_t Value) {
    auto put = [&](int x, int y) {
        if (x >= 0 && x < Cols && y >= 0 && y < Rows) Mask[size_t(x) + size_t(y) * Cols] = Value;
    };
    int x = X1, y = Y1;
    put(x, y);
    int dx = std::abs(X2 - X1), dy = std::abs(Y2 - Y1);
    int sx = X2 > X1 ? 1 : -1, sy = Y2 > Y1 ? 1 : -1;
    int m = std::max(dx, dy);
    int ax = 0, ay = 0;
    for (int step = 0; step <= m; ++step) {
        ax += dx;
        ay += dy;
        bool moved = false;
        if (ax > m) {
            ax -= m;
            x += sx;
            moved = true;
        }
        if (ay > m) {
            ay -= m;
            y += sy;
            moved = true;
        }
        if (moved) put(x, y);
    }
}

void DrawMaskCircle(uint8_t* Mask, int Cols, int Rows, int CX, int CY, int Radius, uint8_t Value) {
    auto put = [&](int x, int y) {
        if (x >= 0 && x < Cols && y >= 0 && y < Rows) Mask[size_t(x) + size_t(y) * Cols] = Value;
    };
    auto points = [&](int x, int y) {
        for (int w : {x, x + 1}) {
            put(CX + w, CY + y);
            put(CX - w, CY + y);
            put(CX + w, CY - y);
            put(CX - w, CY - y);
        }
        for (int w : {y, y + 1}) {
            put(CX + w, CY + x);
            put(CX - w, CY + x);
            put(CX + w, CY - x);
            put(CX - w, CY - x);
        }
    };
    int x = 0, y = Radius, d = 3 - 2 * Radius;
    while (x < y) {
        points(x, y);
        if (d < 0)
            d += 4 * x + 6;
        else {
            d += 4 * (x - y) + 10;
            --y;
        }
        ++x;
    }
    if (x == y) points(x, y);
}

void SetMoveCell(TteMoveCell* Cells, int Cols, int Rows, int X, int Y, int SrcX, int SrcY) {
    if (X < 0 || X >= Cols || Y < 0 || Y >= Rows || SrcX < 0 || SrcX >= Cols || SrcY < 0 ||
        SrcY >= Rows)
        return;
    Cells[size_t(X) + size_t(Y) * Cols] = TteMoveCell{255, int16_t(SrcX), int16_t(SrcY)};
}

namespace {

enum class Style { Hard, Uniform, Gradient };

struct Grid {
    uint8_t* m;
    int C, R;
    int hc() const { return C / 2; }
    int hr() const { return R / 2; }
    int diag() const { return RoundEven(std::sqrt(double(C) * C + double(R) * R)); }
    int big() const { return std::max(C, R); }
    // The longer axis 1, the shorter its ratio.
    double fx() const { return C >= R ? 1.0 : double(C) / R; }
    double fy() const { return C >= R ? double(R) / C : 1.0; }
    void put(int x, int y, uint8_t v) {
        if (x >= 0 && x < C && y >= 0 && y < R) m[size_t(x) + size_t(y) * C] = v;
    }
    void line(int x1, int y1, int x2, int y2, uint8_t v) {
        DrawMaskLine(m, C, R, x1, y1, x2, y2, v);
    }
    void row(int y, uint8_t v) {
        if (y >= 0 && y < R) std::memset(m + size_t(y) * C, v, size_t(C));
    }
    void circle(int cx, int cy, int r, uint8_t v) { DrawMaskCircle(m, C, R, cx, cy, r, v); }
    void rect(int a, int b, uint8_t v) {
        int l = hc() - a, t = hr() - b, r = hc() + a, btm = hr() + b;
        line(l, t, r, t, v);
        line(r, t, r, btm, v);
        line(r, btm, l, btm, v);
        line(l, btm, l, t, v);
    }
    size_t size() const { return size_t(C) * R; }
};

uint8_t Uniform(int p) {
    return uint8_t(MulDiv(p, 255, 100));
}

// The soft trailing edge: step k of n.
struct Gradient {
    int p, n;
    uint8_t at(int k) const {
        double s = n == 0 ? 2.0 * p : 2.0 * p / n;
        int v = MulDiv(RoundEven(2.0 * p - k * s), 255, 100);
        if (v >= 256 || p == 100) return 255;
        return uint8_t(std::clamp(v, 0, 255));
    }
};

uint8_t FlatValue(Style st, int p) {
    return st == Style::Hard ? 255 : Uniform(p);
}

using Shape = void (*)(Grid&, int p, Style);

// In-variants: the Out-shape for 100 - p, inverted.
void Inverted(Grid& g, int p, Style st, Shape out) {
    if (p == 0) return;
    std::vector<uint8_t> scratch(g.size(), 0);
    Grid s{scratch.data(), g.C, g.R};
    if (100 - p > 0) out(s, 100 - p, st == Style::Gradient ? Style::Gradient : Style::Hard);
    if (st == Style::Gradient) {
        for (size_t i = 0; i < g.size(); ++i)
            g.m[i] = uint8_t(255 - scratch[i]);
        return;
    }
    uint8_t other = st == Style::Hard ? 255 : Uniform(p);
    for (size_t i = 0; i < g.size(); ++i)
        g.m[i] = scratch[i] ? 0 : other;
}

// --- shapes ---

void Down(Grid& g, int p, Style st) {
    if (st == Style::Gradient) {
        int n = MulDiv(RoundEven(g.R * 1.5), p, 100);
        Gradient gr{p, n};
        for (int k = 0; k <= n && k < g.R; ++k)
            g.row(k, gr.at(k));
        return;
    }
    uint8_t v = FlatValue(st, p);
    for (int k = 0; k <= MulDiv(p, g.R - 1, 100); ++k)
        g.row(k, v);
}

void InRows(Grid& g, int p, Style st) {
    int hr = g.hr();
    if (st == Style::Gradient) {
        int n = MulDiv(RoundEven(g.R * 0.8), p, 100);
        Gradient gr{p, n};
        for (int k = 0; k <= n && k <= hr; ++k) {
            g.row(k, gr.at(k));
            g.row(g.R - 1 - k, gr.at(k));
        }
        return;
    }
    uint8_t v = FlatValue(st, p);
    int e = MulDiv(p, hr, 100);
    for (int k = 0; k <= e; ++k) {
        g.row(k, v);
        g.row(g.R - 1 - k, v);
    }
}

void OutRows(Grid& g, int p, Style st) {
    int hr = g.hr();
    if (st == Style::Gradient) {
        int n = MulDiv(RoundEven(g.R * 0.8), p, 100);
        Gradient gr{p, n};
        for (int k = 0; k <= n && k <= hr; ++k) {
            g.row(hr - k, gr.at(k));
            g.row(hr + k, gr.at(k));
        }
        return;
    }
    uint8_t v = FlatValue(st, p);
    for (int k = 0; k <= MulDiv(p, hr, 100); ++k) {
        g.row(hr - k, v);
        g.row(hr + k, v);
    }
}

void CrossOut(Grid& g, int p, Style st) {
    int hc = g.hc(), hr = g.hr();
    if (st == Style::Gradient) {
        int n = MulDiv(p, RoundEven(g.big() * 2.5), 100) / 2;
        Gradient gr{p, n};
        for (int k = n; k >= 0; --k) {
            uint8_t v = gr.at(k);
            int lx = RoundEven(k * g.fx()), ly = RoundEven(k * g.fy());
            int wx = RoundEven(k / 2.0 * g.fx()), wy = RoundEven(k / 2.0 * g.fy());
            const int pts[12][2] = {{hc - wx, hr - ly}, {hc + wx, hr - ly}, {hc + wx, hr - wy},
                                    {hc + lx, hr - wy}, {hc + lx, hr + wy}, {hc + wx, hr + wy},
                                    {hc + wx, hr + ly}, {hc - wx, hr + ly}, {hc - wx, hr + wy},
                                    {hc - lx, hr + wy}, {hc - lx, hr - wy}, {hc - wx, hr - wy}};
            for (int i = 0; i < 12; ++i) {
                const int* a = pts[i];
                const int* b = pts[(i + 1) % 12];
                g.line(a[0], a[1], b[0], b[1], v);
            }
        }
        return;
    }
    uint8_t v = FlatValue(st, p);
    int c = MulDiv(p, 2 * g.C, 100), d = MulDiv(p, 2 * g.R, 100);
    for (int e = -(c / 4); e <= c / 4; ++e)
        g.line(hc + e, hr - d, hc + e, hr + d, v);
    for (int h = -(d / 4); h <= d / 4; ++h)
        g.line(hc - c, hr + h, hc + c, hr + h, v);
}

void RectOut(Grid& g, int p, Style st) {
    if (st == Style::Gradient) {
        int n = MulDiv(p, RoundEven(g.big() * 1.6), 100) / 2;
        Gradient gr{p, n};
        for (int k = n; k >= 0; --k)
            g.rect(RoundEven(k * g.fx()), RoundEven(k * g.fy()), gr.at(k));
        return;
    }
    uint8_t v = FlatValue(st, p);
    for (int k = 0; k <= MulDiv(p, g.big(), 100) / 2; ++k)
        g.rect(RoundEven(k * g.fx()), RoundEven(k * g.fy()), v);
}

void Diagonal(Grid& g, int p, Style st) {
    if (st == Style::Gradient) {
        double fx = g.R < g.C ? 1.0 : double(g.C) / g.R;
        double fy = g.R < g.C ? double(g.R) / g.C : 1.0;
        int n = MulDiv(p, RoundEven(g.diag() * 2.5), 100);
        Gradient gr{p, n};
        for (int k = n; k >= 0; --k)
            g.line(0, RoundEven(k * fy), RoundEven(k * fx), 0, gr.at(k));
        return;
    }
    uint8_t v = FlatValue(st, p);
    int c = MulDiv(g.C - 1, p, 100), d = MulDiv(g.R - 1, p, 100);
    int T = std::max(2 * c, 2 * d);
    for (int t = 0; t <= T; ++t)
        g.line(0, std::min(t, 2 * d), std::min(t, 2 * c), 0, v);
}

// Legs of the corner triangles and bands, growing together.
struct Legs {
    int cx, cy, T;
    int a(int t) const { return T ? RoundEven(double(t) * cx / T) : 0; }
    int b(int t) const { return T ? RoundEven(double(t) * cy / T) : 0; }
};

Legs LegsFor(const Grid& g, int p) {
    int cx = RoundEven(p / 100.0 * (g.C - 1)), cy = RoundEven(p / 100.0 * (g.R - 1));
    return Legs{cx, cy, std::max(cx, cy)};
}

// The smooth forms step f and g along the two axes with the aspect ratio.
template <class Draw> void SmoothCorners(Grid& g, int p, Draw draw) {
    int b = MulDiv(g.diag(), p, 100);
    int n = 2 * b;
    double s = n == 0 ? 2.0 * p : 2.0 * p / n;
    double ff = g.C >= g.R ? 1.0 : double(g.C) / g.R;
    double gg = g.C >= g.R ? double(g.R) / g.C : 1.0;
    for (int k = std::min(n, g.big() - 1); k >= 0; --k) {
        int v = MulDiv(RoundEven(2.0 * p - k * s / 2), 255, 100);
        if (v >= 256 || p == 100) v = 255;
        draw(RoundEven(k * ff), RoundEven(k * gg), uint8_t(std::clamp(v, 0, 255)));
    }
}

void DiagonalIn(Grid& g, int p, Style st) {
    int C = g.C, R = g.R;
    if (st == Style::Gradient) {
        SmoothCorners(g, p, [&](int f, int gv, uint8_t v) {
            g.line(0, R - 1 - gv, f, R - 1, v);
            g.line(C - f, 0, C - 1, gv, v);
        });
        return;
    }
    uint8_t v = FlatValue(st, p);
    Legs l = LegsFor(g, p);
    for (int t = 0; t <= l.T; ++t) {
        g.line(0, R - 1 - l.b(t), l.a(t), R - 1, v);
        g.line(C - 1 - l.a(t), 0, C - 1, l.b(t), v);
    }
}

void DiagonalOut(Grid& g, int p, Style st) {
    int C = g.C, R = g.R;
    if (st == Style::Gradient) {
        SmoothCorners(g, p, [&](int f, int gv, uint8_t v) {
            g.line(0, R - 1 - gv, C - f, 0, v);
            g.line(f, R - 1, C - 1, gv, v);
        });
        return;
    }
    uint8_t v = FlatValue(st, p);
    Legs l = LegsFor(g, p);
    for (int t = 0; t <= l.T; ++t) {
        g.line(0, l.b(t), C - 1 - l.a(t), R - 1, v);
        g.line(l.a(t), 0, C - 1, R - 1 - l.b(t), v);
    }
}

void CircleOut(Grid& g, int p, Style st) {
    if (st == Style::Gradient) {
        int n = MulDiv(RoundEven(g.diag() * 0.9), p, 100);
        Gradient gr{p, n};
        for (int k = n; k >= 0; --k)
            g.circle(g.hc(), g.hr(), k, gr.at(k));
        return;
    }
    uint8_t v = FlatValue(st, p);
    for (int k = 0; k <= MulDiv(g.diag(), p, 100) / 2; ++k)
        g.circle(g.hc(), g.hr(), k, v);
}

void CircleIn(Grid& g, int p, Style st) {
    uint8_t v = FlatValue(st, p);
    int d = g.diag();
    for (int k = 0; k <= MulDiv(d, p, 100) / 2; ++k)
        g.circle(g.hc(), g.hr(), d / 2 - k, v);
}

void CircleCorner(Grid& g, int p, Style st) {
    if (st == Style::Gradient) {
        int n = MulDiv(RoundEven(g.diag() * 1.5), p, 100);
        Gradient gr{p, n};
        for (int k = n; k >= 0; --k)
            g.circle(0, g.R - 1, k, gr.at(k));
        return;
    }
    uint8_t v = FlatValue(st, p);
    for (int k = 0; k <= MulDiv(g.diag(), p, 100); ++k)
        g.circle(0, g.R - 1, k, v);
}

void DiamondOut(Grid& g, int p, Style st) {
    int hc = g.hc(), hr = g.hr();
    auto diamond = [&](int k, uint8_t v) {
        int u = RoundEven(k * g.fx()), w = RoundEven(k * g.fy());
        g.line(hc, hr + w, hc - u, hr, v);
        g.line(hc - u, hr, hc, hr - w, v);
        g.line(hc, hr - w, hc + u, hr, v);
        g.line(hc + u, hr, hc, hr + w, v);
    };
    if (st == Style::Gradient) {
        int n = MulDiv(p, RoundEven(g.big() * 2.5), 100) / 2;
        Gradient gr{p, n};
        for (int k = n; k >= 0; --k)
            diamond(k, gr.at(k));
        return;
    }
    uint8_t v = FlatValue(st, p);
    for (int k = 0; k <= MulDiv(p, g.big(), 100); ++k)
        diamond(k, v);
}

void Rotate(Grid& g, int p, Style st) {
    int C = g.C, R = g.R;
    if (st == Style::Gradient) {
        int n = MulDiv(2 * (C + R), p, 100);
        Gradient gr{p, n};
        for (int i = n; i >= 0; --i) {
            if (i < R)
                g.line(0, R - 1, C - 1, R - i, gr.at(i));
            else
                g.line(0, R - 1, C + R - i, 0, gr.at(i));
        }
        return;
    }
    uint8_t v = FlatValue(st, p);
    int e = MulDiv(C + R, p, 100);
    for (int i = 0; i <= e; ++i) {
        if (i < R)
            g.line(0, R - 1, C - 1, R - i, v);
        else
            g.line(0, R - 1, C + i - e, 0, v);
    }
}

// Distinct random cells, the same ones in every frame: the generator restarts at Cols x Rows.
void ChooseCells(Grid& g, int p, uint8_t v) {
    int n = g.C * g.R;
    RandSeed = uint32_t(n);
    int count = RoundEven(double(n) * p / 100);
    for (int i = 0; i < count; ++i) {
        int c;
        do {
            c = Random(n);
        } while (g.m[c] != 0);
        g.m[c] = v;
    }
}

// --- the registered procedures ---

template <Shape S, Style St> void Out(uint8_t* m, int c, int r, uint8_t p) {
    if (p == 0) return;
    Grid g{m, c, r};
    S(g, p, St);
}

template <Shape S, Style St> void In(uint8_t* m, int c, int r, uint8_t p) {
    Grid g{m, c, r};
    Inverted(g, p, St, S);
}

void FadeAll(uint8_t* m, int c, int r, uint8_t p) {
    std::memset(m, RoundEven(p / 100.0 * 255), size_t(c) * r);
}

void CircleSlideOut(uint8_t* m, int c, int r, uint8_t p) {
    Grid g{m, c, r};
    CircleOut(g, p, Style::Hard);
}
void CircleSlideIn(uint8_t* m, int c, int r, uint8_t p) {
    Grid g{m, c, r};
    CircleIn(g, p, Style::Hard);
}
void CircleSlide(uint8_t* m, int c, int r, uint8_t p) {
    Grid g{m, c, r};
    CircleCorner(g, p, Style::Hard);
}

void Pixel(uint8_t* m, int c, int r, uint8_t p) {
    Grid g{m, c, r};
    ChooseCells(g, p, 255);
}

void PixelFade(uint8_t* m, int c, int r, uint8_t p) {
    if (p == 0) return;
    Grid g{m, c, r};
    ChooseCells(g, p, uint8_t(RoundEven(p / 100.0 * 255)));
}

void PixelLine(uint8_t* m, int c, int r, uint8_t p) {
    if (p == 0) return;
    std::vector<uint8_t> chosen(size_t(c) * r, 0);
    Grid s{chosen.data(), c, r};
    ChooseCells(s, p, 255);
    int last = RoundEven(p / 100.0 * (2 * c - 1));
    for (int i = 0; i <= last && i < c; ++i) {
        int v = std::max(0, RoundEven(2.0 * p - i * c * 0.1 / p));
        uint8_t value = uint8_t(std::min(255, RoundEven(v / 100.0 * 255)));
        for (int y = 0; y < r; ++y)
            if (chosen[size_t(i) + size_t(y) * c]) m[size_t(i) + size_t(y) * c] = value;
    }
}

void Stream(uint8_t* m, int c, int r, uint8_t p) {
    RandSeed = uint32_t(c * r);
    std::vector<int> delay(static_cast<size_t>(c)), head, bottom(static_cast<size_t>(c), r - 1);
    for (int x = 0; x < c; ++x)
        delay[size_t(x)] = -Random(80);
    for (int j = 1; j <= 8; ++j)
        for (int x = j; x <= c - 1 - j; ++x)
            delay[size_t(x)] =
                (delay[size_t(x) - 1] + 2 * delay[size_t(x)] + delay[size_t(x) + 1]) / 4;
    head = delay;
    int rounds = MulDiv(r + 79, p, 100) + 1;
    for (int k = 0; k < rounds; ++k)
        for (int x = 0; x < c; ++x) {
            int& h = head[size_t(x)];
            int& b = bottom[size_t(x)];
            if (h > b) {
                h = 0;
                --b;
            } else {
                if (h >= 0 && h < r) m[size_t(x) + size_t(h) * c] = 255;
                ++h;
            }
        }
}

void Plasma(uint8_t* m, int c, int r, uint8_t p) {
    static const struct Tables {
        int sin512[512], cos512[512], palette[512];
        Tables() {
            const double pi2 = 2 * 3.14159265358979323846;
            for (int k = 0; k < 512; ++k) {
                sin512[k] = (int(std::trunc(std::sin(pi2 * k / 512) * 256)) + 256) & 511;
                cos512[k] = (int(std::trunc(std::cos(pi2 * k / 512) * 256)) + 256) & 511;
            }
            const int keys[13] = {255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
            for (int e = 0; e < 512; ++e) {
                double pos = e * 12.0 / 511;
                int j = std::min(11, int(pos));
                double f = pos - j;
                if (f < 0.5 / 42.6)
                    palette[e] = keys[j];
                else if (f > 1 - 0.5 / 42.6)
                    palette[e] = keys[j + 1];
                else
                    palette[e] = RoundEven(keys[j] + (keys[j + 1] - keys[j]) * f);
            }
        }
    } t;
    if (p == 0) return;
    int level = MulDiv(2 * p, 255, 100);
    for (int y = 0; y < r; ++y)
        for (int x = 0; x < c; ++x) {
            int idx = (t.sin512[(x + t.sin512[y & 511]) & 511] + t.cos512[y & 511]) & 511;
            m[size_t(x) + size_t(y) * c] = uint8_t(std::clamp(level - t.palette[idx], 0, 255));
        }
}

void Interlace(TteMoveCell* cells, int c, int r, uint8_t p) {
    int shift = MulDiv(100 - p, c, 100);
    for (int y = 0; y < r; ++y)
        for (int x = 0; x < c; ++x) {
            int sx = (y % 2 == 0) ? x + shift : x - shift;
            cells[size_t(x) + size_t(y) * c] = TteMoveCell{255, int16_t(sx), int16_t(y)};
        }
}

void Corner(TteMoveCell* cells, int c, int r, uint8_t p) {
    int cc = MulDiv(c - 1, p, 100), d = MulDiv(r - 1, p, 100);
    for (int j = 0; j <= d; ++j)
        for (int i = 0; i <= cc; ++i)
            SetMoveCell(cells, c, r, i, j, c - 1 - cc + i, r - 1 - d + j);
}

void PlaceNew(TteBitmap* Work, TteBitmap* To, TteAnimationRec* Animation, int a) {
    int W = To->Width, H = To->Height;
    To->AlphaBlend = true;
    switch (Animation->Rotation()) {
    case TteRotation::krNone:
        To->DrawOnBitmap(Work, a - W, 0);
        break;
    case TteRotation::krRotate90:
        To->DrawOnBitmap(Work, 0, H - a);
        break;
    case TteRotation::krRotate180:
        To->DrawOnBitmap(Work, W - a, 0);
        break;
    case TteRotation::krRotate270:
        To->DrawOnBitmap(Work, 0, a - H);
        break;
    }
}

int Travel(TteBitmap* To, TteAnimationRec* Animation, int p) {
    bool vertical = Animation->Rotation() == TteRotation::krRotate90 ||
                    Animation->Rotation() == TteRotation::krRotate270;
    return MulDiv(vertical ? To->Height : To->Width, p, 100);
}

void Slide(TteBitmap* Work, TteBitmap* To, TteAnimationRec* Animation, uint8_t p) {
    PlaceNew(Work, To, Animation, Travel(To, Animation, p));
}

void Push(TteBitmap* Work, TteBitmap* To, TteAnimationRec* Animation, uint8_t p) {
    int a = Travel(To, Animation, p);
    switch (Animation->Rotation()) {
    case TteRotation::krNone:
        Work->DrawOnBitmap(Work, a, 0);
        break;
    case TteRotation::krRotate90:
        Work->DrawOnBitmap(Work, 0, -a);
        break;
    case TteRotation::krRotate180:
        Work->DrawOnBitmap(Work, -a, 0);
        break;
    case TteRotation::krRotate270:
        Work->DrawOnBitmap(Work, 0, a);
        break;
    }
    PlaceNew(Work, To, Animation, a);
}

} // namespace

void RegisterBuiltinEffects() {
    using S = Style;
    struct Entry {
        const char* name;
        TteMaskProc proc;
    };
    const Entry masks[] = {
        {"SmoothDiagonal", Out<Diagonal, S::Gradient>},
        {"SmoothDiagonalIn", Out<DiagonalIn, S::Gradient>},
        {"SmoothDiagonalOut", Out<DiagonalOut, S::Gradient>},
        {"SmoothDown", Out<Down, S::Gradient>},
        {"SmoothIn", Out<InRows, S::Gradient>},
        {"SmoothOut", Out<OutRows, S::Gradient>},
        {"SmoothCrossOut", Out<CrossOut, S::Gradient>},
        {"SmoothCrossIn", In<CrossOut, S::Gradient>},
        {"SmoothRectIn", In<RectOut, S::Gradient>},
        {"SmoothRectOut", Out<RectOut, S::Gradient>},
        {"SlideDiagonal", Out<Diagonal, S::Hard>},
        {"SlideDiagonalIn", Out<DiagonalIn, S::Hard>},
        {"SlideDiagonalOut", Out<DiagonalOut, S::Hard>},
        {"SlideDown", Out<Down, S::Hard>},
        {"SlideIn", Out<InRows, S::Hard>},
        {"SlideOut", Out<OutRows, S::Hard>},
        {"SlideCrossOut", Out<CrossOut, S::Hard>},
        {"SlideCrossIn", In<CrossOut, S::Hard>},
        {"SlideRectOut", Out<RectOut, S::Hard>},
        {"SlideRectIn", In<RectOut, S::Hard>},
        {"Fade", FadeAll},
        {"FadeDiagonal", Out<Diagonal, S::Uniform>},
        {"FadeDiagonalIn", Out<DiagonalIn, S::Uniform>},
        {"FadeDiagonalOut", Out<DiagonalOut, S::Uniform>},
        {"FadeDown", Out<Down, S::Uniform>},
        {"FadeIn", Out<InRows, S::Uniform>},
        {"FadeOut", Out<OutRows, S::Uniform>},
        {"FadeCrossOut", Out<CrossOut, S::Uniform>},
        {"FadeCrossIn", In<CrossOut, S::Uniform>},
        {"FadeRectOut", Out<RectOut, S::Uniform>},
        {"FadeRectIn", In<RectOut, S::Uniform>},
        {"Pixel", Pixel},
        {"Pixel fade", PixelFade},
        {"Pixel line", PixelLine},
        {"CircleSlideOut", CircleSlideOut},
        {"CircleFadeOut", Out<CircleOut, S::Uniform>},
        {"CircleSmoothOut", Out<CircleOut, S::Gradient>},
        {"CircleSlideIn", CircleSlideIn},
        {"CircleFadeIn", Out<CircleIn, S::Uniform>},
        {"CircleSmoothIn", In<CircleOut, S::Gradient>},
        {"CircleSlide", CircleSlide},
        {"CircleFade", Out<CircleCorner, S::Uniform>},
        {"CircleSmooth", Out<CircleCorner, S::Gradient>},
        {"DiamondSlideIn", In<DiamondOut, S::Hard>},
        {"DiamondFadeIn", In<DiamondOut, S::Uniform>},
        {"DiamondSmoothIn", In<DiamondOut, S::Gradient>},
        {"DiamondSlideOut", Out<DiamondOut, S::Hard>},
        {"DiamondFadeOut", Out<DiamondOut, S::Uniform>},
        {"DiamondSmoothOut", Out<DiamondOut, S::Gradient>},
        {"RotateSlide", Out<Rotate, S::Hard>},
        {"RotateFade", Out<Rotate, S::Uniform>},
        {"RotateSmooth", Out<Rotate, S::Gradient>},
        {"Stream", Stream},
        {"Plasma", Plasma},
    };
    for (const Entry& e : masks)
        RegisterEffect(e.name, 0, e.proc);
    RegisterEffect("Interlace", 1, TteCellProc(Interlace));
    RegisterEffect("Corner", 1, TteCellProc(Corner));
    RegisterEffect("Slide", 2, TteManualProc(Slide));
    RegisterEffect("Push", 2, TteManualProc(Push));
}

} // namespace dvr::skin
