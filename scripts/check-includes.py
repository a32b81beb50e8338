#!/usr/bin/env python3
"""Checks the include graph of src/: every folder includes only itself and the
folders below it, and no chain of includes between file pairs (x.h with x.cpp)
comes back to where it started. Prints each violation; exit status 1 if any."""
import re
import sys
from pathlib import Path

# Bottom to top. A folder may include itself and any folder before it, except
# the folders named as beside it.
LAYERS = ["core", "movegen", "eval", "wdl", "search", "mate", "multipv", "strong", "strength", "db", "book",
          "tools", "game", "protocol", "uci"]
BESIDE = {("protocol", "uci"), ("uci", "protocol")}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([A-Za-z0-9_]+)/([A-Za-z0-9_]+)\.h"', re.M)


def main(root: Path) -> int:
    src = root / "src"
    edges: dict[str, set[str]] = {}
    problems = []
    for path in sorted(src.glob("*/*.[ch]*")):
        folder = path.parent.name
        module = f"{folder}/{path.stem}"
        edges.setdefault(module, set())
        for used_folder, name in INCLUDE.findall(path.read_text(errors="replace")):
            target = f"{used_folder}/{name}"
            if target != module:
                edges[module].add(target)
            if folder not in LAYERS or used_folder not in LAYERS:
                problems.append(f"{path.relative_to(root)}: unknown layer in {target}.h")
            elif (LAYERS.index(used_folder) > LAYERS.index(folder)
                  or (folder, used_folder) in BESIDE):
                problems.append(f"{path.relative_to(root)}: {folder}/ includes {target}.h "
                                f"from a higher layer")
    # Depth-first search for a back edge.
    state: dict[str, int] = {}
    stack: list[str] = []

    def visit(node: str) -> None:
        state[node] = 1
        stack.append(node)
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == 1:
                cycle = stack[stack.index(nxt):] + [nxt]
                problems.append("include circle: " + " -> ".join(cycle))
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = 2

    for node in sorted(edges):
        if node not in state:
            visit(node)
    for p in problems:
        print(p)
    print(f"{len(edges)} file pairs checked, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent)))
