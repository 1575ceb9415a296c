# The R interface of the Sparsim library. The options are checked by the
# program's own rules (src/sparsim_r.cpp passes them on as the text a
# command-line user would type); nothing here holds a rule of its own.

.real <- function(name, value, size = 1L) {
  if (is.null(value)) return(NULL)
  if (!is.numeric(value) || length(value) != size || anyNA(value)) {
    stop(sprintf("%s must be %s", name,
                 if (size == 1L) "a single number" else sprintf("%d numbers", size)),
         call. = FALSE)
  }
  as.double(value)
}

.flag <- function(name, value) {
  if (is.null(value)) return(NULL)
  if (!is.logical(value) || length(value) != 1L || is.na(value)) {
    stop(sprintf("%s must be TRUE or FALSE", name), call. = FALSE)
  }
  value
}

.text <- function(name, value) {
  if (is.null(value)) return(NULL)
  if (!is.character(value) || length(value) != 1L || is.na(value)) {
    stop(sprintf("%s must be a single string", name), call. = FALSE)
  }
  value
}

.set_options <- function(circle = NULL, centre = NULL, rect = NULL, points = NULL,
                         density = NULL, clusters = NULL, radius = NULL,
                         seeds_as_points = NULL, centred = FALSE, model = NULL,
                         csr = FALSE, poisson = FALSE) {
  list(circle = .real("circle", circle), centre = .real("centre", centre, 2L),
       rect = .real("rect", rect, 4L), points = .real("points", points),
       density = .real("density", density), clusters = .real("clusters", clusters),
       radius = .real("radius", radius),
       seeds_as_points = .flag("seeds_as_points", seeds_as_points),
       centred = .flag("centred", centred), model = .text("model", model),
       csr = .flag("csr", csr), poisson = .flag("poisson", poisson))
}

.has_spatstat <- function() requireNamespace("spatstat.geom", quietly = TRUE)

# The site as a spatstat window. spatstat's disc() is a polygon inside its
# circle, which would drop points near the rim: this one, of 128 sides, lies
# around the circle and holds every point.
.window <- function(site) {
  if (site$shape == "circle") {
    spatstat.geom::disc(radius = site$radius / cos(pi / 128), centre = site$centre)
  } else {
    spatstat.geom::owin(site$rect[c(1, 3)], site$rect[c(2, 4)])
  }
}

#' Random point patterns, as sparsim generate makes them
#'
#' Random points in a circle or a rectangle, centred on the site or
#' clustered around random seeds, under one of five density models: the very
#' sets that \code{sparsim generate} writes for the same options and seed,
#' as doubles (its files show them to four decimals). The options are
#' checked by the program's own rules; a refused one is an error with the
#' command line's message.
#'
#' @param circle,centre The site is a circle of diameter \code{circle},
#'   centred at \code{centre = c(x, y)} (default: one radius from each
#'   axis) ...
#' @param rect ... or the rectangle \code{c(xmin, ymin, xmax, ymax)}.
#' @param points,density The number of points, or their density per unit of
#'   area (the count is rounded, halves to even).
#' @param poisson \code{TRUE}: the count of each set is drawn from a Poisson
#'   law whose mean is the count asked (at most 9300), as \code{sparsim
#'   generate --poisson}; each set then holds its own number of points.
#' @param centred \code{TRUE}: the points are centred on the site ...
#' @param clusters,radius,seeds_as_points ... or clustered around this many
#'   random seeds within \code{radius} (the S.D. for the normal model); the
#'   seeds are points of the set unless \code{seeds_as_points = FALSE} ...
#' @param csr ... or \code{TRUE}: uniform over the whole site (complete
#'   spatial randomness).
#' @param model \code{"uniform"}, \code{"hemisphere"}, \code{"conic"},
#'   \code{"sinusoid"} or \code{"normal"} (or \code{"U"} ... \code{"N"});
#'   default normal.
#' @param seed The generator's seed; \code{NULL} or 0 take one from the
#'   clock (see the \code{"seed"} attribute).
#' @param nsim The number of independent sets (the command line's
#'   \code{--replicates}; default 1): set 1 uses \code{seed} itself, set k
#'   a seed derived from it.
#' @param replicate \code{K}: make set K of the run alone, the very points
#'   of set K of \code{nsim = N} for any \code{N >= K} (the command line's
#'   \code{--replicate K}); with \code{nsim} too, K must be at most
#'   \code{nsim}.
#' @param generator \code{"lcg"}, the program's generator (the dialogue's),
#'   or \code{"philox"}, a counter-based one whose sets are independent
#'   streams (\code{sparsim generate --generator philox}); Philox sets all
#'   record the run's seed.
#' @param allow_shared_stream \code{TRUE}: go on with LCG sets whose draws
#'   together pass the generator's cycle of 2^32, which are refused
#'   otherwise (the command line's \code{--allow-shared-stream}).
#' @param jobs Threads for the sets (default: every hardware thread); the
#'   points do not depend on it.
#' @param progress \code{NULL}, or a function called as
#'   \code{progress(done, nsim)}: with 0 once the sets are being made, then
#'   whenever one is done.
#' @return With spatstat installed, a \code{ppp} in the site (a polygon of
#'   128 sides around a circle, or the rectangle), or for \code{nsim > 1} a
#'   \code{solist} of them, ready for \code{envelope(X, simulate = ...)};
#'   otherwise a two-column matrix (\code{x}, \code{y}), or a list of them;
#'   with \code{poisson}, each holds the count drawn for it. Each pattern has
#'   the attribute \code{"sparsim"}: its \code{seed}, \code{candidates},
#'   \code{site}, \code{generator}, the run's seed \code{run_seed}, its
#'   \code{replicate} number and \code{options}
#'   (\code{\link{sparsim_write_adf}} writes its file).
#' @examples
#' X <- sparsim_generate(circle = 20, points = 100, centred = TRUE,
#'                       model = "uniform", seed = 12345)
#' attr(X, "sparsim")$seed
#' sims <- sparsim_generate(rect = c(0, 0, 100, 100), points = 200, clusters = 10,
#'                          radius = 3, model = "uniform", seed = 2024, nsim = 9)
#' length(sims)
#' fifth <- sparsim_generate(rect = c(0, 0, 100, 100), points = 200, clusters = 10,
#'                           radius = 3, model = "uniform", seed = 2024, replicate = 5)
#' varied <- sparsim_generate(circle = 20, points = 100, centred = TRUE, seed = 3,
#'                            poisson = TRUE, nsim = 3)
#' try(sparsim_generate(circle = -3, points = 10, centred = TRUE))
#' @export
sparsim_generate <- function(circle = NULL, centre = NULL, rect = NULL, points = NULL,
                             density = NULL, poisson = FALSE, clusters = NULL, radius = NULL,
                             seeds_as_points = NULL, centred = FALSE, csr = FALSE,
                             model = NULL, seed = NULL, nsim = NULL, replicate = NULL,
                             generator = "lcg", jobs = NULL, allow_shared_stream = FALSE,
                             progress = NULL) {
  generator <- .text("generator", generator)
  options <- .set_options(circle, centre, rect, points, density, clusters, radius,
                          seeds_as_points, centred, model, csr, poisson)
  seed <- .real("seed", seed)
  nsim <- .real("nsim", nsim)
  replicate <- .real("replicate", replicate)
  jobs <- .real("jobs", jobs)
  if (!is.null(progress) && !is.function(progress)) {
    stop("progress must be a function", call. = FALSE)
  }
  allow <- .flag("allow_shared_stream", allow_shared_stream)
  warning_text <- .sparsim_check(options, seed, generator, nsim, replicate, jobs, allow)
  if (nzchar(warning_text)) warning(warning_text, call. = FALSE, immediate. = TRUE)
  made <- .sparsim_generate(options, seed, generator, nsim, replicate, jobs, allow, progress)
  spatstat <- .has_spatstat()
  window <- if (spatstat) .window(made$site)
  patterns <- lapply(seq_along(made$points), function(k) {
    xy <- made$points[[k]]
    pattern <- if (spatstat) spatstat.geom::ppp(xy[, 1], xy[, 2], window = window) else xy
    attr(pattern, "sparsim") <- list(seed = made$seeds[k], candidates = made$candidates[k],
                                     site = made$site, options = options,
                                     generator = tolower(generator), run_seed = made$run_seed,
                                     replicate = made$replicates[k])
    pattern
  })
  if (length(patterns) == 1L) return(patterns[[1]])
  if (spatstat) patterns <- spatstat.geom::as.solist(patterns)
  attr(patterns, "seeds") <- made$seeds
  patterns
}

.coordinates <- function(X) {
  if (inherits(X, "ppp")) return(list(x = X$x, y = X$y))
  if (is.data.frame(X)) X <- as.matrix(X)
  if (!is.numeric(X) || length(dim(X)) != 2L || ncol(X) != 2L) {
    stop("points must be a ppp, or a matrix or data frame of two columns (x, y)", call. = FALSE)
  }
  list(x = as.double(X[, 1]), y = as.double(X[, 2]))
}

#' Random walks of points, as sparsim walk makes them
#'
#' Every point moved by \code{steps} random steps of up to \code{max_step}:
#' the points \code{sparsim walk} writes for a file holding the same
#' numbers. Each pass walks the input points afresh, the generator running
#' on from pass to pass.
#'
#' @param X The points: a \code{ppp}, or a two-column matrix or data frame.
#' @param max_step The largest step.
#' @param steps The number of steps of each point.
#' @param seed The seed; \code{NULL} or 0 take one from the clock.
#' @param passes The number of passes.
#' @param progress As for \code{\link{sparsim_generate}}.
#' @param generator \code{"lcg"}, or \code{"philox"}: the walk draws from
#'   the Philox stream of key (\code{seed}, 1), as \code{sparsim walk
#'   --generator philox}.
#' @param replicate \code{K}: walk replicate K of the run alone, as
#'   \code{sparsim walk --replicate K}: with the LCG from the replicate's
#'   seed, with Philox from the stream (\code{seed}, K).
#' @return A two-column matrix (\code{x}, \code{y}), or a list of them for
#'   \code{passes > 1}; for a \code{ppp}, a \code{ppp} (a list of them) in
#'   the smallest rectangle that holds its window and the walked points.
#'   The attribute \code{"seed"} is the seed used (with the LCG and
#'   \code{replicate}, the replicate's).
#' @examples
#' X <- sparsim_generate(circle = 20, points = 100, centred = TRUE,
#'                       model = "uniform", seed = 12345)
#' W <- sparsim_walk(X, max_step = 2.5, steps = 3, seed = 7, passes = 2)
#' @export
sparsim_walk <- function(X, max_step, steps, seed = NULL, passes = 1, progress = NULL,
                         generator = "lcg", replicate = NULL) {
  xy <- .coordinates(X)
  made <- .sparsim_walk(xy$x, xy$y, .real("max_step", max_step), .real("steps", steps),
                        .real("seed", seed), .real("passes", passes),
                        .text("generator", generator), .real("replicate", replicate), progress)
  walked <- lapply(made$points, function(m) {
    if (!inherits(X, "ppp")) return(m)
    frame <- spatstat.geom::Frame(X)
    window <- spatstat.geom::owin(range(frame$xrange, m[, 1]), range(frame$yrange, m[, 2]))
    spatstat.geom::ppp(m[, 1], m[, 2], window = window)
  })
  result <- if (length(walked) == 1L) walked[[1]] else walked
  attr(result, "seed") <- made$seed
  result
}

#' Read a coordinate file
#'
#' Reads an \code{.ADF}, an \code{.OUT} or a hand-made list of points with
#' the program's own reader. What the program walks on without asking (a
#' file holding fewer points than it announces) is a warning; a number it
#' cannot read is an error naming the file, the line and the token.
#'
#' @param path The file.
#' @return A data frame with columns \code{x} and \code{y}.
#' @examples
#' X <- sparsim_generate(circle = 20, points = 10, centred = TRUE, seed = 1)
#' path <- tempfile(fileext = ".adf")
#' sparsim_write_adf(X, path)
#' sparsim_read_adf(path)
#' @export
sparsim_read_adf <- function(path) {
  read <- .sparsim_read_adf(path.expand(.text("path", path)))
  for (note in read$notes) warning(note, call. = FALSE)
  data.frame(x = read$x, y = read$y)
}

#' Write a coordinate file
#'
#' Writes points as the program writes its coordinate file (\code{.ADF}),
#' header and all: for a pattern of \code{\link{sparsim_generate}}, the
#' same bytes as \code{sparsim generate}'s file for the same options and
#' seed. Other points need the options of their set (as for
#' \code{sparsim_generate}; \code{points} defaults to their number) and the
#' seed to record. The file is written whole or not at all.
#'
#' @param X The points: a pattern of \code{sparsim_generate}, a \code{ppp},
#'   or a two-column matrix or data frame.
#' @param path The file.
#' @param seed,... The run's seed and the set's options (with
#'   \code{generator} and, of a run of several, \code{replicate}), for points
#'   that do not carry them.
#' @examples
#' X <- sparsim_generate(circle = 20, points = 10, centred = TRUE, seed = 1)
#' sparsim_write_adf(X, tempfile(fileext = ".adf"))
#' @export
sparsim_write_adf <- function(X, path, seed = NULL, ...) {
  recorded <- attr(X, "sparsim")
  xy <- .coordinates(X)
  if (!is.null(recorded)) {
    if (!is.null(seed) || length(list(...)) > 0L) {
      stop("the patterns of sparsim_generate carry their options and seed", call. = FALSE)
    }
    options <- recorded$options
    seed <- recorded$run_seed
    generator <- recorded$generator
    replicate <- recorded$replicate
  } else {
    given <- list(...)
    generator <- if (is.null(given$generator)) "lcg" else .text("generator", given$generator)
    replicate <- .real("replicate", given$replicate)
    given$generator <- NULL
    given$replicate <- NULL
    if (is.null(given$points)) given$points <- length(xy$x)
    options <- do.call(.set_options, given)
  }
  .sparsim_write_adf(path.expand(.text("path", path)), options, .real("seed", seed), generator,
                     replicate, xy$x, xy$y)
  invisible(path)
}

#' Write a walk's output file
#'
#' Writes points as a walk's output file (\code{.OUT}): the line
#' \code{"n,2"}, then \code{x,y} with four decimals; for the points of
#' \code{\link{sparsim_walk}}, the bytes of \code{sparsim walk}'s file.
#'
#' @param X The points: a \code{ppp}, or a two-column matrix or data frame.
#' @param path The file.
#' @examples
#' W <- sparsim_walk(cbind(x = c(1, 2), y = c(3, 4)), max_step = 1, steps = 5, seed = 3)
#' sparsim_write_out(W, tempfile(fileext = ".out"))
#' @export
sparsim_write_out <- function(X, path) {
  xy <- .coordinates(X)
  .sparsim_write_out(path.expand(.text("path", path)), xy$x, xy$y)
  invisible(path)
}
