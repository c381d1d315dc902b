#include "Targeting.h"

#include "Random.h"

namespace MyGame {

namespace {

// After this many draws passed over for touching a hit, any cell not boxed in is accepted.
constexpr int HitNeighbourRejectionLimit = 20;

// Neighbour offsets in the order the hunt prefers them: left, down, up, right.
constexpr std::array<Position, 4> Directions{{{-1, 0}, {0, 1}, {0, -1}, {1, 0}}};

Shot ShotAt(const BoardView& view, int x, int y)
{
    return OnBoard(x, y) ? view[y * BoardSide + x] : Shot::None;
}

bool TouchesHitBesides(const BoardView& view, Position cell, Position excluded)
{
    for (Position d : Directions) {
        const Position neighbour{cell.x + d.x, cell.y + d.y};
        if (neighbour != excluded && ShotAt(view, neighbour.x, neighbour.y) == Shot::Hit)
            return true;
    }
    return false;
}

// Consecutive hits from (x, y) onwards in steps of (dx, dy).
int HitRun(const BoardView& view, int x, int y, int dx, int dy)
{
    int count = 0;
    for (; ShotAt(view, x, y) == Shot::Hit; x += dx, y += dy)
        ++count;
    return count;
}

// Some neighbour is on the board, unshot and clear of hits.
bool HasUsableNeighbour(const BoardView& view, Position cell)
{
    for (Position d : Directions) {
        const int x = cell.x + d.x;
        const int y = cell.y + d.y;
        if (IsUnshot(view, x, y) && !TouchesHit(view, x, y))
            return true;
    }
    return false;
}

bool AnyCell(const BoardView& view, bool (*test)(const BoardView&, int, int))
{
    for (int y = 0; y < BoardSide; ++y) {
        for (int x = 0; x < BoardSide; ++x) {
            if (test(view, x, y))
                return true;
        }
    }
    return false;
}

bool IsUnshotAndOpen(const BoardView& view, int x, int y)
{
    return IsUnshot(view, x, y) && !IsBoxedInByMisses(view, x, y);
}

}

Shot ClassifyCellText(std::string_view text)
{
    if (text == "#")
        return Shot::Hit;
    if (text == "X")
        return Shot::Miss;
    return Shot::None;
}

bool IsBoxedInByMisses(const BoardView& view, int x, int y)
{
    for (Position d : Directions) {
        if (OnBoard(x + d.x, y + d.y) && ShotAt(view, x + d.x, y + d.y) != Shot::Miss)
            return false;
    }
    return true;
}

bool IsUnshot(const BoardView& view, int x, int y)
{
    return OnBoard(x, y) && ShotAt(view, x, y) == Shot::None;
}

bool TouchesHit(const BoardView& view, int x, int y)
{
    return TouchesHitBesides(view, {x, y}, NoPosition);
}

Position ChooseRandomTarget(const BoardView& view, int* hitNeighbourRejections)
{
    // Boxed-in cells are passed over only while some unshot cell is not boxed in. Otherwise the
    // search could never offer a cell left to shoot, and on a view boxed in everywhere it would
    // never end, so the first draw is taken as it is. In a real game this never happens: every
    // ship cell has a neighbour in the same ship, which is never a miss.
    const bool passOverBoxedIn = AnyCell(view, IsUnshotAndOpen);
    int rejections = 0;
    Position cell;
    for (;;) {
        cell.x = RandomBetween(1, BoardSide) - 1;
        cell.y = RandomBetween(1, BoardSide) - 1;
        if (!passOverBoxedIn)
            break;
        if (IsBoxedInByMisses(view, cell.x, cell.y))
            continue;
        if (rejections >= HitNeighbourRejectionLimit)
            break;
        if (TouchesHit(view, cell.x, cell.y)) {
            ++rejections;
            continue;
        }
        if (HasUsableNeighbour(view, cell))
            break;
    }
    if (hitNeighbourRejections != nullptr)
        *hitNeighbourRejections = rejections;
    return cell;
}

Position NextHuntTarget(const BoardView& view, Position origin)
{
    const int across = HitRun(view, origin.x, origin.y, 1, 0) + HitRun(view, origin.x - 1, origin.y, -1, 0);
    const int down = HitRun(view, origin.x, origin.y, 0, 1) + HitRun(view, origin.x, origin.y - 1, 0, -1);
    // A run of two or more hits shows which way the ship lies; a run of four is a whole ship.
    bool keepAcross = true;
    bool keepDown = true;
    if (across >= 2 && down < 2) {
        if (across == 4)
            return NoPosition;
        keepDown = false;
    }
    if (down >= 2 && across < 2) {
        if (down == 4)
            return NoPosition;
        keepAcross = false;
    }
    for (Position d : Directions) {
        if (!(d.x != 0 ? keepAcross : keepDown))
            continue;
        const Position neighbour{origin.x + d.x, origin.y + d.y};
        if (IsUnshot(view, neighbour.x, neighbour.y) && !TouchesHitBesides(view, neighbour, origin))
            return neighbour;
    }
    return NoPosition;
}

Position TakeAim(const BoardView& view, Position& lastHit, std::deque<Position>& earlierHits)
{
    // With every cell shot no candidate could ever be accepted.
    if (!AnyCell(view, IsUnshot))
        return NoPosition;
    for (;;) {
        Position candidate = NoPosition;
        while (IsSet(lastHit)) {
            candidate = NextHuntTarget(view, lastHit);
            if (candidate.x != -1)
                break;
            lastHit = NoPosition;
            if (!earlierHits.empty()) {
                lastHit = earlierHits.front();
                earlierHits.pop_front();
            }
        }
        if (candidate.x == -1)
            candidate = ChooseRandomTarget(view);
        if (IsUnshot(view, candidate.x, candidate.y))
            return candidate;
    }
}

void RecordHit(Position& lastHit, std::deque<Position>& earlierHits, Position hit)
{
    if (IsSet(lastHit))
        earlierHits.push_back(lastHit);
    lastHit = hit;
}

}
