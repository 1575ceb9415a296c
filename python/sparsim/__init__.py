"""Random point patterns from Sparsim, as NumPy arrays.

The sets are those ``sparsim generate`` writes for the same options, to the
last bit: the options are checked by the program's own rules (a refusal is a
``ValueError`` with the command line's message) and each number is handed to
it as the shortest decimal that reads back to the same float, as one would
type it after the command line's option.

>>> import sparsim
>>> pts = sparsim.generate(circle=20, points=100, centred=True,
...                        model="uniform", seed=12345)
>>> pts.shape, pts.seeds
((100, 2), (12345,))
>>> sims = sparsim.generate(rect=(0, 0, 100, 100), points=200, clusters=10,
...                         radius=3, model="uniform", seed=2024, replicates=99)
>>> sims.shape
(99, 200, 2)
>>> fifth = sparsim.generate(rect=(0, 0, 100, 100), points=200, clusters=10,
...                          radius=3, model="uniform", seed=2024, replicate=5)
>>> bool((fifth == sims[4]).all())
True
>>> varied = sparsim.generate(circle=20, points=100, centred=True, seed=3,
...                           poisson=True, replicates=3)
>>> [p.shape for p in varied]
[(87, 2), (93, 2), (102, 2)]

Replicates run on ``jobs`` threads (default: every hardware thread) with the
interpreter released; Ctrl-C stops them and raises ``KeyboardInterrupt``.
"""

from __future__ import annotations

import operator
import os
import warnings
from typing import Any, Callable, Dict, List, Optional, Sequence, Tuple, Union

import numpy as np

from . import _sparsim

__all__ = ["Pattern", "generate", "walk", "read_adf", "write_adf", "write_out"]

Real = Union[int, float, np.number]
Progress = Callable[[int, int], Any]
PathLike = Union[str, "os.PathLike[str]"]


class Pattern(np.ndarray):
    """Points made by :func:`generate` or :func:`walk`: a float64 array of
    shape ``(n, 2)`` (columns x and y), or ``(replicates, n, 2)``.

    Attributes
    ----------
    seeds : tuple of int
        The seed of each replicate (or of the walk), as recorded in its file;
        with the LCG, ``generate(..., seed=pts.seeds[k])`` makes replicate
        ``k + 1`` alone, as ``generate(..., seed=pts.run_seed,
        replicate=k + 1)`` does with either generator. Philox replicates all
        record the run's seed.
    run_seed : int
        The run's seed (``generate`` only).
    replicate_numbers : tuple of int
        The number of each replicate in the run: ``(1, 2, ..., replicates)``,
        or ``(K,)`` for ``replicate=K`` (``generate`` only).
    generator : str
        "lcg" or "philox".
    candidates : tuple of int
        The candidate points each replicate drew (``generate`` only).
    site : dict or None
        The site: ``{"shape": "circle", "centre": (x, y), "radius": r,
        "area": a}`` or ``{"shape": "rect", "rect": (xmin, ymin, xmax,
        ymax), "area": a}``, with the ``density`` and ``model`` of the set.
    options : dict or None
        The options of the set, which :func:`write_adf` records.
    """

    seeds: Tuple[int, ...]
    run_seed: Optional[int]
    replicate_numbers: Tuple[int, ...]
    generator: Optional[str]
    candidates: Tuple[int, ...]
    site: Optional[Dict[str, Any]]
    options: Optional[Dict[str, Any]]

    def __array_finalize__(self, obj: Any) -> None:
        for name in ("seeds", "run_seed", "replicate_numbers", "generator", "candidates", "site",
                     "options"):
            setattr(self, name, getattr(obj, name, None))


def _whole(name: str, value: Any) -> Optional[str]:
    if value is None:
        return None
    if isinstance(value, bool):
        raise TypeError(f"{name} must be a whole number, not bool")
    try:
        return str(operator.index(value))
    except TypeError:
        raise TypeError(f"{name} must be a whole number, not {type(value).__name__}") from None


def _real(name: str, value: Any) -> Optional[float]:
    if value is None:
        return None
    if isinstance(value, (bool, str, bytes)):
        raise TypeError(f"{name} must be a number, not {type(value).__name__}")
    try:
        return float(value)
    except (TypeError, ValueError):
        raise TypeError(f"{name} must be a number, not {type(value).__name__}") from None


def _reals(name: str, value: Any) -> Optional[Tuple[float, ...]]:
    if value is None:
        return None
    if isinstance(value, (str, bytes)) or not hasattr(value, "__iter__"):
        raise TypeError(f"{name} must be a sequence of numbers, not {type(value).__name__}")
    return tuple(_real(name, v) for v in value)


def _flag(name: str, value: Any) -> Optional[bool]:
    if value is None or isinstance(value, (bool, np.bool_)):
        return None if value is None else bool(value)
    raise TypeError(f"{name} must be True or False, not {type(value).__name__}")


def _set_options(circle, centre, rect, points, density, clusters, radius, seeds_as_points,
                 centred, model, csr=False, poisson=False) -> Dict[str, Any]:
    if model is not None and not isinstance(model, str):
        raise TypeError(f"model must be a str, not {type(model).__name__}")
    return {
        "circle": _real("circle", circle),
        "centre": _reals("centre", centre),
        "rect": _reals("rect", rect),
        "points": _whole("points", points),
        "density": _real("density", density),
        "clusters": _whole("clusters", clusters),
        "radius": _real("radius", radius),
        "seeds_as_points": _flag("seeds_as_points", seeds_as_points),
        "centred": bool(_flag("centred", centred)),
        "model": model,
        "csr": bool(_flag("csr", csr)),
        "poisson": bool(_flag("poisson", poisson)),
    }


def _generator(generator: str) -> str:
    if not isinstance(generator, str):
        raise TypeError(f"generator must be a str, not {type(generator).__name__}")
    return generator


def generate(*, circle: Optional[Real] = None, centre: Optional[Sequence[Real]] = None,
             rect: Optional[Sequence[Real]] = None, points: Optional[int] = None,
             density: Optional[Real] = None, poisson: bool = False,
             clusters: Optional[int] = None,
             radius: Optional[Real] = None, seeds_as_points: Optional[bool] = None,
             centred: bool = False, csr: bool = False, model: Optional[str] = None,
             seed: Optional[int] = None, replicates: Optional[int] = None,
             replicate: Optional[int] = None, generator: str = "lcg",
             jobs: Optional[int] = None, allow_shared_stream: bool = False,
             progress: Optional[Progress] = None) -> Union[Pattern, List[Pattern]]:
    """Random points in a circle or a rectangle, as ``sparsim generate``
    makes them.

    Parameters
    ----------
    circle, centre : the site is a circle of this diameter, centred at
        ``centre=(x, y)`` (default: one radius from each axis) ...
    rect : ... or the rectangle ``(xmin, ymin, xmax, ymax)``.
    points, density : the number of points, or their density (per unit of
        area; the count is rounded, halves to even).
    poisson : the count of each set is drawn from a Poisson law whose mean
        is the count asked (at most 9300), as ``sparsim generate
        --poisson``; the sets are then a list (see Returns).
    centred : the points are centred on the site ...
    clusters, radius, seeds_as_points : ... or clustered around this many
        random seeds, within ``radius`` (the S.D. for the normal model); the
        seeds are points of the set unless ``seeds_as_points=False`` ...
    csr : ... or uniform over the whole site (complete spatial randomness).
    model : "uniform", "hemisphere", "conic", "sinusoid" or "normal" (or
        "U", "H", "C", "S", "N"); default "normal".
    seed : the generator's seed; None or 0 take one from the clock (see
        ``.seeds``). Replicate 1 uses ``seed`` itself, replicate k a seed
        derived from it, as ``sparsim generate --replicates`` does.
    replicates : the number of independent sets (default 1).
    replicate : make replicate ``K`` of the run alone: the very points of
        ``generate(..., replicates=N)[K - 1]`` for any ``N >= K``
        (``sparsim generate --replicate K``); with ``replicates=N`` too, K
        must be at most N, and the LCG's check of shared streams counts N
        replicates, else K.
    generator : "lcg", the program's generator (the dialogue's), or
        "philox", a counter-based one whose replicates are independent
        streams (``sparsim generate --generator philox``).
    allow_shared_stream : go on with LCG replicates whose draws together
        pass the generator's cycle of 2^32, which are refused otherwise (as
        by the command line's ``--allow-shared-stream``).
    jobs : threads for the replicates (default: every hardware thread); the
        points do not depend on it.
    progress : called as ``progress(done, replicates)`` on the calling
        thread, first with ``done == 0`` once the sets are being made, then
        whenever a replicate is done.

    Returns
    -------
    Pattern or list of Pattern
        An ``(n, 2)`` array of x and y, or ``(replicates, n, 2)`` when
        ``replicates > 1``, with the ``seeds`` and the ``site``. With
        ``poisson`` and ``replicates > 1``, whose sets may each hold a
        different count, a list of ``(n_k, 2)`` arrays, each carrying its
        own replicate's ``seeds``, ``candidates`` and ``replicate_numbers``.

    Raises
    ------
    ValueError
        With the command line's message, for any option it refuses:
        ``generate(circle=-3, points=10, centred=True)`` gives
        "--circle -3: must be from 0 to 1e30".
    KeyboardInterrupt
        On Ctrl-C, once every thread has stopped.

    Examples
    --------
    >>> pts = generate(rect=(0, 0, 10, 4), points=5, clusters=2, radius=1,
    ...                model="normal", seed=7)
    >>> pts.shape
    (5, 2)
    >>> pts.site["shape"], pts.site["rect"]
    ('rect', (0.0, 0.0, 10.0, 4.0))
    """
    options = _set_options(circle, centre, rect, points, density, clusters, radius,
                           seeds_as_points, centred, model, csr, poisson)
    xy, seeds, candidates, site, run_seed, numbers = _sparsim.generate(
        options, _whole("seed", seed), _generator(generator), _whole("replicates", replicates),
        _whole("replicate", replicate), _whole("jobs", jobs),
        bool(_flag("allow_shared_stream", allow_shared_stream)), progress)

    def pattern(points, k):
        result = points.view(Pattern)
        result.seeds = tuple(seeds[k])
        result.candidates = tuple(candidates[k])
        result.replicate_numbers = tuple(numbers[k])
        result.run_seed = run_seed
        result.site = site
        result.options = options
        result.generator = generator.lower()
        return result

    every = slice(0, len(seeds))
    if len(seeds) == 1:
        return pattern(xy[0], every)
    if isinstance(xy, list):
        return [pattern(points, slice(k, k + 1)) for k, points in enumerate(xy)]
    return pattern(xy, every)


def walk(points: Any, max_step: Real, steps: int, seed: Optional[int] = None, passes: int = 1,
         progress: Optional[Progress] = None, *, generator: str = "lcg",
         replicate: Optional[int] = None) -> Pattern:
    """Every point moved by ``steps`` random steps of up to ``max_step``, as
    ``sparsim walk`` walks a file holding the same numbers.

    Each pass walks the input points afresh, the generator running on from
    pass to pass. ``generator="philox"`` walks with Philox, as ``sparsim
    walk --generator philox`` (the stream of key ``(seed, 1)``);
    ``replicate=K`` walks replicate K of the run alone, as ``sparsim walk
    --replicate K`` (with the LCG from the replicate's seed, with Philox
    from the stream ``(seed, K)``). Returns an ``(n, 2)`` array, or
    ``(passes, n, 2)`` when ``passes > 1``, with ``.seeds`` the walk's
    recorded seed: ``(seed,)``, or with the LCG and ``replicate=K`` the
    seed of replicate K.

    >>> site = generate(circle=20, points=100, centred=True, model="uniform",
    ...                 seed=12345)
    >>> walk(site, max_step=2.5, steps=3, seed=7, passes=2).shape
    (2, 100, 2)
    """
    options = (_real("max_step", max_step), _whole("steps", steps), _whole("seed", seed),
               _whole("passes", passes), _generator(generator), _whole("replicate", replicate))
    walked, used_seed = _sparsim.walk(np.asarray(points, dtype=np.float64), *options, progress)
    result = (walked[0] if passes == 1 else walked).view(Pattern)
    result.seeds = (used_seed,)
    result.generator = generator.lower()
    return result


def read_adf(path: PathLike) -> np.ndarray:
    """The points of a coordinate file (``.ADF``, ``.OUT`` or a hand-made
    list), read by the program's own reader, as an ``(n, 2)`` array.

    What the program walks on without asking (a file that holds fewer points
    than it announces, say) is a ``UserWarning``; a number it cannot read is
    an ``OSError`` naming the file, the line and the token.
    """
    xy, notes = _sparsim.read_adf(os.fspath(path))
    for note in notes:
        warnings.warn(note, stacklevel=2)
    return xy


def write_adf(path: PathLike, points: Any, *, replicate: Optional[int] = None,
              seed: Optional[int] = None, **options: Any) -> None:
    """Writes points as the program writes a coordinate file (``.ADF``),
    with its header: the same bytes as ``sparsim generate`` for a set made
    by :func:`generate` with the same options.

    ``points`` from :func:`generate` carry their options and seeds; of
    several replicates (an array or a list), give ``replicate`` (from 1). Other points need the
    set's options as keywords (as for :func:`generate`, with ``generator``;
    ``points`` defaults to their number), the run's ``seed`` and, of a run of
    replicates, the ``replicate``. The file is written whole or not at all.

    >>> sims = generate(circle=20, points=50, centred=True, seed=1, replicates=3)
    >>> write_adf("third.adf", sims, replicate=3)
    """
    if isinstance(points, list) and points and all(isinstance(p, Pattern) for p in points):
        # The sets of generate(..., poisson=True, replicates=N).
        if replicate is None:
            raise ValueError(f"write_adf: give replicate=1 to {len(points)}")
        k = operator.index(replicate)
        if not 1 <= k <= len(points):
            raise ValueError(f"write_adf: replicate {k}: must be 1 to {len(points)}")
        points, replicate = points[k - 1], None
    seeds = getattr(points, "seeds", None)
    recorded = getattr(points, "options", None)
    if recorded is not None and seeds is not None:
        array = np.asarray(points, dtype=np.float64)
        if options or seed is not None:
            raise TypeError("write_adf: the points of generate() carry their options and seed")
        if replicate is None and len(seeds) > 1:
            raise ValueError(f"write_adf: give replicate=1 to {len(seeds)}")
        k = 1 if replicate is None else operator.index(replicate)
        if not 1 <= k <= len(seeds):
            raise ValueError(f"write_adf: replicate {k}: must be 1 to {len(seeds)}")
        if array.ndim == 3:
            array = array[k - 1]
        # The replicate of the run, as the command line numbers it.
        _sparsim.write_adf(os.fspath(path), recorded, str(points.run_seed), points.generator,
                           str(points.replicate_numbers[k - 1]), array)
        return
    array = np.asarray(points, dtype=np.float64)
    generator = options.pop("generator", "lcg")
    options.setdefault("points", len(array))
    known = {"circle", "centre", "rect", "points", "density", "clusters", "radius",
             "seeds_as_points", "centred", "model", "csr", "poisson"}
    unknown = sorted(set(options) - known)
    if unknown:
        raise TypeError(f"write_adf: unexpected option {unknown[0]}")
    full = {name: options.get(name) for name in known}
    full["centred"] = options.get("centred", False)
    full["csr"] = options.get("csr", False)
    full["poisson"] = options.get("poisson", False)
    _sparsim.write_adf(os.fspath(path), _set_options(**full), _whole("seed", seed),
                       _generator(generator), _whole("replicate", replicate), array)


def write_out(path: PathLike, points: Any) -> None:
    """Writes points as a walk's output file (``.OUT``): the line
    ``"n,2"``, then ``x,y`` with four decimals, the bytes of ``sparsim
    walk``'s file for the points of :func:`walk`."""
    _sparsim.write_out(os.fspath(path), np.asarray(points, dtype=np.float64))
