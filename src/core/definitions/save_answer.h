// The answer to an editor's save question: "Ano" saves, "Ne" discards the changes.
#pragma once

namespace kapsorel {

enum class SaveAnswer { Save, Discard };

} // namespace kapsorel
