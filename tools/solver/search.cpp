#include "tools/solver/search.h"

#include "sim/game_state.h"
#include "tools/solution/moves.h"
#include "tools/solver/frame_model.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <numeric>
#include <string_view>
#include <utility>
#include <vector>

namespace solver {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::array<char, 5> MOVES = {'L', 'R', 'U', 'D', '.'};
// The first two frames wait, so the route is a solution kromblix-solution takes as it is.
constexpr int LEADING_WAITS = 2;
// Widths tried one after another: a small beam proves the easy caves at once.
constexpr std::array<int, 5> BEAMS = {24, 96, 384, 1536, 6144};

constexpr int SAME_CAVES = 6;       // times the same caves and players are played at other times
constexpr int UNREACHABLE = 400;   // the distance term when no diamond can be reached
constexpr int PUSH_COST = 4;       // a rock pushed aside counts as this many steps
constexpr long long WON_SCORE = 10'000'000;
constexpr long long DIAMOND_SCORE = 1000;

// One route's place in the tree of routes: the route before it and its last key.
struct TreeNode {
    std::int32_t parent;
    char move;
};

// A route being extended: its sequences' plays live in a flat pool at index * sequences.
struct Entry {
    std::int32_t tree = -1;   // its place in the tree (before it is kept: the route it extends)
    char move = '.';          // its last key
    int alive = 0;            // sequences not lost
    int won = 0;
    int taken = 0;            // diamonds taken, summed over the sequences still going
    long long score = 0;
    std::uint64_t key = 0;    // what the sequences hold (grids, players, ends)
    std::uint64_t exact = 0;  // the same and the numbers each has drawn: the whole state
};

std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}

std::uint64_t play_key(const Play& play) {
    std::uint64_t h = 0x9e3779b97f4a7c15ULL * (static_cast<std::uint64_t>(play.end) + 1);
    const auto& cave = play.state.cave;
    std::size_t i = 0;
    for (; i + 8 <= cave.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, cave.data() + i, 8);
        h = mix(h ^ word) + i;
    }
    for (; i < cave.size(); ++i) h = mix(h ^ cave[i]);
    return mix(h ^ static_cast<std::uint64_t>(play.state.player_x * 64 + play.state.player_y));
}

// The steps from the player to the nearest diamond, walking, digging and pushing rocks aside.
int diamond_distance(const GameState& s) {
    std::array<int, CAVE_CELLS> dist;
    dist.fill(1 << 20);
    // Buckets of a small ring: no edge costs more than PUSH_COST.
    std::array<std::array<int, CAVE_CELLS>, PUSH_COST + 1> ring;
    std::array<int, PUSH_COST + 1> fill{};
    const int start = s.player_x + CAVE_W * s.player_y;
    if (start < 0 || start >= CAVE_CELLS) return UNREACHABLE;
    dist[static_cast<std::size_t>(start)] = 0;
    ring[0][fill[0]++] = start;
    int pending = 1;
    for (int d = 0; pending > 0 && d < UNREACHABLE; ++d) {
        auto& bucket = ring[static_cast<std::size_t>(d % (PUSH_COST + 1))];
        int& count = fill[static_cast<std::size_t>(d % (PUSH_COST + 1))];
        for (int k = 0; k < count; ++k) {
            const int c = bucket[static_cast<std::size_t>(k)];
            --pending;
            if (dist[static_cast<std::size_t>(c)] != d) continue;
            if (c != start && s.cave[static_cast<std::size_t>(c)] == DIAMOND) return d;
            const int x = c % CAVE_W, y = c / CAVE_W;
            constexpr int DX[4] = {-1, 1, 0, 0}, DY[4] = {0, 0, -1, 1};
            for (int n = 0; n < 4; ++n) {
                const int nx = x + DX[n], ny = y + DY[n];
                if (nx < 0 || nx >= CAVE_W || ny < 0 || ny >= CAVE_H) continue;
                const std::uint8_t code = s.cave[static_cast<std::size_t>(nx + CAVE_W * ny)];
                int cost = 0;
                if (code == EMPTY || code == DIRT || code == DIAMOND || code == PLAYER || code == START) {
                    cost = 1;
                } else if (code == ROCK && DY[n] == 0) {
                    const int bx = nx + DX[n];
                    if (bx >= 0 && bx < CAVE_W && s.cave[static_cast<std::size_t>(bx + CAVE_W * ny)] == EMPTY)
                        cost = PUSH_COST;
                }
                if (cost == 0) continue;
                const int to = nx + CAVE_W * ny;
                if (d + cost >= dist[static_cast<std::size_t>(to)]) continue;
                dist[static_cast<std::size_t>(to)] = d + cost;
                const std::size_t b = static_cast<std::size_t>((d + cost) % (PUSH_COST + 1));
                ring[b][static_cast<std::size_t>(fill[b]++)] = to;
                ++pending;
            }
        }
        count = 0;
    }
    return UNREACHABLE;
}

// 64-bit keys counted, with a fixed room; once it is 3/4 full it counts no new keys.
struct KeyCounter {
    std::vector<std::uint64_t> slots;
    std::vector<std::uint8_t> counts;
    std::size_t used = 0;
    explicit KeyCounter(std::size_t room) : slots(room, 0), counts(room, 0) {}
    // How often the key was counted, this time included (at most 255).
    int count(std::uint64_t key) {
        if (key == 0) key = 1;
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = key & mask;; i = (i + 1) & mask) {
            if (slots[i] == key) {
                if (counts[i] < 255) ++counts[i];
                return counts[i];
            }
            if (slots[i] == 0) {
                if (used * 4 >= slots.size() * 3) return 1;
                slots[i] = key;
                counts[i] = 1;
                ++used;
                return 1;
            }
        }
    }
};

struct Search {
    std::string_view cave;
    SolveOptions options;
    const std::function<void(const Progress&)>* progress;
    const std::atomic<bool>* cancel;
    Clock::time_point started;
    Clock::time_point last_report;
    std::vector<int> chosen;  // the sequences this run plays in lockstep
    int sequences = 0;        // how many
    int diamonds = 0;

    std::vector<TreeNode> tree;
    long long routes = 0;
    std::size_t peak_bytes = 0;
    int best_won = -1;
    std::int32_t best_tree = -1;
    bool stopped = false;
    bool timed_out = false;
    bool diverse = false;     // the beam keeps routes of fewer diamonds beside the greedy ones

    double elapsed() const { return std::chrono::duration<double>(Clock::now() - started).count(); }

    bool should_stop() {
        if (stopped) return true;
        if (cancel && cancel->load(std::memory_order_relaxed)) stopped = true;
        if (elapsed() >= options.seconds) {
            stopped = true;
            timed_out = true;
        }
        return stopped;
    }

    void report(int frame) {
        if (!progress || !*progress) return;
        const auto now = Clock::now();
        if (now - last_report < std::chrono::milliseconds(100)) return;
        last_report = now;
        (*progress)(Progress{frame, routes, elapsed(), std::max(best_won, 0)});
    }

    solution::Moves route(std::int32_t node) const {
        solution::Moves moves;
        for (; node > 0; node = tree[static_cast<std::size_t>(node)].parent)
            moves.push_back(tree[static_cast<std::size_t>(node)].move);
        std::reverse(moves.begin(), moves.end());
        return moves;
    }

    // Puts a route into the tree: e.tree is the route it extends, e.move its last key.
    std::int32_t add_to_tree(const Entry& e) {
        tree.push_back(TreeNode{e.tree, e.move});
        return static_cast<std::int32_t>(tree.size() - 1);
    }

    void evaluate(Entry& e, const Play* plays) {
        e.alive = e.won = e.taken = 0;
        e.score = 0;
        std::uint64_t key = 0, exact = 0;
        std::uint64_t previous_key = 0;
        long long previous_term = 0;
        for (int i = 0; i < sequences; ++i) {
            const Play& p = plays[i];
            const std::uint64_t k = play_key(p);
            key = mix(key ^ (k + static_cast<std::uint64_t>(i)));
            exact = mix(exact ^ (k + p.draws));
            if (p.end == FrameEnd::died) continue;
            ++e.alive;
            if (p.end == FrameEnd::won) {
                ++e.won;
                e.score += WON_SCORE;
                continue;
            }
            // Sequences that hold the same cave share the distance.
            long long term = previous_term;
            if (i == 0 || k != previous_key) {
                term = DIAMOND_SCORE * (diamonds - p.state.diamonds_left) - diamond_distance(p.state);
                previous_key = k;
                previous_term = term;
            }
            e.score += term;
            e.taken += diamonds - p.state.diamonds_left;
        }
        e.key = key;
        e.exact = mix(exact ^ key);
    }

    // One beam search of the given width; true when a route wins every sequence.
    bool run(int width) {
        sequences = static_cast<int>(chosen.size());
        best_won = -1;
        best_tree = -1;
        const std::size_t S = static_cast<std::size_t>(sequences);
        std::vector<Play> layer(S), next;
        for (int i = 0; i < sequences; ++i) {
            layer[static_cast<std::size_t>(i)] = Play{state_after_load(cave), draws_at_start(space_tick(chosen[static_cast<std::size_t>(i)])), 0, FrameEnd::going};
        }
        std::vector<Entry> entries(1), children;
        tree.assign(1, TreeNode{-1, '.'});
        evaluate(entries[0], layer.data());
        entries[0].tree = 0;
        // Each kept route holds its plays and up to five children's.
        width = std::max(1, std::min(width, static_cast<int>(options.memory_limit / (6 * S * sizeof(Play)))));
        // A state is played once; the same caves and players at other times (waits, pushes and
        // growths that did not come, other ways round) a few times, so waiting for a roll is tried
        // without the beam filling with waits.
        KeyCounter seen(std::size_t{1} << 21), seen_caves(std::size_t{1} << 21);
        std::vector<Play> child_plays;
        std::vector<std::size_t> order;

        for (int frame = 0; frame < options.max_frames && !entries.empty(); ++frame) {
            if (should_stop()) return false;
            report(frame);
            const bool waiting = frame < LEADING_WAITS;
            const std::size_t branching = waiting ? 1 : MOVES.size();
            child_plays.resize(entries.size() * branching * S);
            children.clear();
            for (std::size_t n = 0; n < entries.size(); ++n) {
                for (std::size_t m = 0; m < branching; ++m) {
                    const char move = waiting ? '.' : MOVES[m];
                    Play* plays = child_plays.data() + children.size() * S;
                    std::copy_n(layer.data() + n * S, S, plays);
                    for (std::size_t i = 0; i < S; ++i) play_frame(plays[i], move);
                    ++routes;
                    Entry e;
                    evaluate(e, plays);
                    if (e.alive == 0) continue;
                    if (!waiting && (seen.count(e.exact) > 1 || seen_caves.count(e.key) > SAME_CAVES)) continue;
                    e.tree = entries[n].tree;
                    e.move = move;
                    if (e.won > best_won) {
                        best_won = e.won;
                        best_tree = add_to_tree(e);
                    }
                    if (e.won == sequences) return true;
                    // A route whose every sequence is lost or won has ended.
                    if (e.alive == e.won) continue;
                    children.push_back(e);
                }
                if ((n & 15) == 0 && should_stop()) return false;
            }
            peak_bytes = std::max(peak_bytes, (layer.capacity() + child_plays.capacity()) * sizeof(Play) +
                                                  tree.capacity() * sizeof(TreeNode) +
                                                  2 * seen.slots.size() * (sizeof(std::uint64_t) + 1));
            // The best `width` children: the fewest sequences lost, then the score; held diverse,
            // no more than half of them of one count of sequences going and diamonds taken, so
            // routes that took fewer diamonds (or took them another way round) live on beside
            // the greedy ones, which may all have run into the same fall a few frames on.
            order.resize(children.size());
            std::iota(order.begin(), order.end(), std::size_t{0});
            const std::size_t keep = std::min(order.size(), static_cast<std::size_t>(width));
            const auto ranks_before = [&](std::size_t a, std::size_t b) {
                if (children[a].alive != children[b].alive) return children[a].alive > children[b].alive;
                if (children[a].score != children[b].score) return children[a].score > children[b].score;
                return a < b;
            };
            std::sort(order.begin(), order.end(), ranks_before);
            if (diverse && keep < order.size()) {
                const std::size_t cap = std::max<std::size_t>(1, keep / 2);
                std::vector<std::size_t> picked, rest;
                picked.reserve(keep);
                std::map<std::pair<int, int>, std::size_t> in_group;
                for (std::size_t k = 0; k < order.size(); ++k) {
                    const Entry& c = children[order[k]];
                    std::size_t& n = in_group[{c.alive, c.taken}];
                    if (picked.size() < keep && n++ < cap)
                        picked.push_back(order[k]);
                    else
                        rest.push_back(order[k]);
                }
                for (std::size_t k = 0; picked.size() < keep && k < rest.size(); ++k) picked.push_back(rest[k]);
                // In rank order again, so the tree and the best route come out as before.
                std::sort(picked.begin(), picked.end(), ranks_before);
                std::copy(picked.begin(), picked.end(), order.begin());
            }
            next.resize(keep * S);
            entries.resize(keep);
            for (std::size_t k = 0; k < keep; ++k) {
                const std::size_t c = order[k];
                std::copy_n(child_plays.data() + c * S, S, next.data() + k * S);
                entries[k] = children[c];
                entries[k].tree = add_to_tree(children[c]);
            }
            layer.swap(next);
            if (tree.size() * sizeof(TreeNode) > options.memory_limit / 4) return false;
        }
        return false;
    }
};

}  // namespace

unsigned space_tick(int sequence) { return FIRST_SPACE_TICK + TITLE_FRAME_MS * static_cast<unsigned>(sequence); }

SolveResult solve(std::string_view cave_bytes, const SolveOptions& options,
                  const std::function<void(const Progress&)>& progress, const std::atomic<bool>* cancel) {
    use_frame_model_hooks();
    Search search;
    search.cave = cave_bytes;
    search.options = options;
    search.progress = &progress;
    search.cancel = cancel;
    search.started = search.last_report = Clock::now();
    search.diamonds = state_after_load(cave_bytes).diamonds_left;
    const int total = std::clamp(options.sequences, 1, PROOF_SEQUENCES);

    // Most routes that win two sequences win them all: the search plays a few in lockstep, and a
    // sequence the route loses joins them for the next try.
    SolveResult result;
    result.won = std::vector<bool>(static_cast<std::size_t>(total), false);
    auto wins_of = [&](const solution::Moves& moves) {
        std::vector<bool> won(static_cast<std::size_t>(total), false);
        for (int i = 0; i < total && !moves.empty(); ++i) won[static_cast<std::size_t>(i)] = wins_in_model(cave_bytes, moves, i);
        return won;
    };
    search.chosen = {0};
    if (total > 1) search.chosen.push_back(1);
    // Each width is tried greedy first, then with the beam held diverse (Search::diverse).
    for (std::size_t step = 0; step < 2 * BEAMS.size() && result.won_count < total && !search.stopped; ++step) {
        const int width = options.beam > 0 ? options.beam : BEAMS[step / 2];
        search.diverse = step % 2 == 1;
        for (;;) {
            const bool proved = search.run(width);
            const solution::Moves found = search.route(search.best_tree);
            const std::vector<bool> won = wins_of(found);
            const int count = static_cast<int>(std::count(won.begin(), won.end(), true));
            if (count > result.won_count || (result.moves.empty() && !found.empty())) {
                result.moves = found;
                result.won = won;
                result.won_count = count;
            }
            if (count == total || !proved || search.stopped) break;
            // Won where it was played but lost elsewhere: take two of the lost sequences along.
            int added = 0;
            for (int i = 0; i < total && added < 2; ++i)
                if (!won[static_cast<std::size_t>(i)] && std::find(search.chosen.begin(), search.chosen.end(), i) == search.chosen.end()) {
                    search.chosen.push_back(i);
                    ++added;
                }
            if (added == 0) break;
        }
        if (options.beam > 0 && step == 1) break;
    }
    result.cancelled = cancel && cancel->load();
    result.timed_out = search.timed_out;
    result.seconds = search.elapsed();
    result.routes = search.routes;
    result.peak_bytes = search.peak_bytes;
    return result;
}

bool wins_in_model(std::string_view cave_bytes, const solution::Moves& moves, int sequence) {
    use_frame_model_hooks();
    Play play{state_after_load(cave_bytes), draws_at_start(space_tick(sequence)), 0, FrameEnd::going};
    for (const char move : moves) {
        play_frame(play, move);
        if (play.end != FrameEnd::going) break;
    }
    return play.end == FrameEnd::won;
}

}  // namespace solver
