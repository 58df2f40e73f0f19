// The editor's proof (key P): kromblix-solve runs as a child process on the cave as shown, beside
// the editor, which reads its progress and answer from a pipe between polls and shows them in the
// strip. The route it finds stays in a scratch directory until the next proof or the editor's
// end, for the watch (key W, editor/route_watch.h).
//
// Under the replay runner a proof runs to its end at the poll that takes the P key, so a replayed
// session shows the answer in the next picture, whatever the machine's speed
// (set_proofs_at_once). The solver is the kromblix-solve beside the game's executable or in the
// build's tools directory, or $KROMBLIX_SOLVE.
#pragma once

#include "sim/game_state.h"

#include <string>
#include <string_view>

namespace editor {

// How long a proof searches, as kromblix-solve's default.
constexpr int PROOF_SECONDS = 120;

// Starts a proof of `cave`; `saved_file` names the file when it holds that very cave, so the
// solver marks it in proven.txt beside it ("" otherwise). Says in the strip what happens.
void start_proof(const CaveMap& cave, const std::string& saved_file);
bool proof_running();
// Reads what the solver said since the last look, without waiting (or to its end when proofs run
// at once); true when the strip changed.
bool look_at_proof();
// Stops a running proof (P again, or the editor ends).
void stop_proof(bool say_so);
// The end of the editor: stops any proof and removes the scratch directory.
void end_proofs();

// The route of the last proof, when it found one ("" when not), and the cave it is a route for.
const std::string& route_replay();
const CaveMap& route_cave();

// Proofs run to their end before the editor polls again (the replay runner's choice).
void set_proofs_at_once(bool at_once);

// The strip's line for the solver's answer (its last line) and exit status: the answer itself,
// and that W watches the route when there is one.
std::string proof_summary(std::string_view answer, int status, bool has_route);

}  // namespace editor
