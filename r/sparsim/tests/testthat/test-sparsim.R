# The R package against the command line: the same options give the same
# bytes, the same refusals the same messages, and an interrupt stops a run.
# SPARSIM_PROGRAM names the built sparsim (tests/bindings/run_testthat.sh
# sets it); without it, the comparisons are skipped.

program <- Sys.getenv("SPARSIM_PROGRAM")
need_program <- function() if (!nzchar(program)) skip("SPARSIM_PROGRAM is not set")

# The command line's options for the arguments of sparsim_generate.
command_args <- function(options) {
  unlist(lapply(names(options), function(name) {
    value <- options[[name]]
    flag <- paste0("--", gsub("_", "-", name))
    if (is.logical(value)) return(if (value) flag else "--no-seeds-as-points")
    if (is.character(value)) return(c(flag, value))
    c(flag, paste(format(value, digits = 17, scientific = FALSE, trim = TRUE), collapse = ","))
  }))
}

run <- function(...) {
  out <- tempfile()
  err <- tempfile()
  status <- system2(program, c(...), stdout = out, stderr = err)
  list(status = status, out = readBin(out, "raw", file.size(out)), err = readLines(err))
}

file_bytes <- function(path) readBin(path, "raw", file.size(path))

sets <- list(
  list(circle = 20, points = 100, centred = TRUE, model = "uniform", seed = 12345),
  list(circle = 12.5, centre = c(-3.5, 0.25), density = 0.7, centred = TRUE, seed = -77),
  list(rect = c(0, 0, 100, 50), points = 500, clusters = 12, radius = 2.5, model = "conic",
       seed = 9),
  list(rect = c(-10.25, 3, 40, 3.5), points = 300, clusters = 4, radius = 0.1,
       seeds_as_points = FALSE, model = "H", seed = 2147483647),
  list(circle = 50, points = 400, clusters = 8, radius = 4, model = "conic", seed = 11,
       generator = "philox"),
  list(circle = 20, points = 100, centred = TRUE, model = "uniform", seed = 12345,
       poisson = TRUE),
  list(rect = c(0, 0, 100, 50), points = 500, clusters = 12, radius = 2.5, model = "conic",
       seed = 9, replicate = 4),
  list(circle = 50, points = 400, clusters = 8, radius = 4, seed = 11, generator = "philox",
       replicate = 3, poisson = TRUE)
)

test_that("sets are the command line's, byte for byte", {
  need_program()
  for (options in sets) {
    X <- do.call(sparsim_generate, options)
    expected <- do.call(run, as.list(c("generate", command_args(options))))
    expect_equal(expected$status, 0)
    path <- tempfile(fileext = ".adf")
    sparsim_write_adf(X, path)
    expect_identical(file_bytes(path), expected$out)
    recorded <- attr(X, "sparsim")
    expect_equal(recorded$run_seed, options$seed)
    expect_equal(recorded$replicate, if (is.null(options$replicate)) 1 else options$replicate)
    if (is.null(options$replicate)) expect_equal(recorded$seed, options$seed)
  }
})

test_that("replicates are the command line's, in a solist ready for envelope", {
  need_program()
  options <- list(rect = c(0, 0, 100, 100), points = 200, clusters = 10, radius = 3,
                  model = "uniform", seed = 2024, generator = "philox")
  seen <- integer(0)
  sims <- do.call(sparsim_generate, c(options, nsim = 5, jobs = 2,
                                      progress = function(done, total) seen <<- c(seen, done)))
  expect_equal(seen[c(1, length(seen))], c(0, 5))
  folder <- tempfile()
  dir.create(folder)
  made <- do.call(run, as.list(c("generate", command_args(options), "--replicates", "5",
                                 "-o", file.path(folder, "r{n}.adf"))))
  expect_equal(made$status, 0)
  for (k in 1:5) {
    path <- tempfile(fileext = ".adf")
    sparsim_write_adf(sims[[k]], path)
    expect_identical(file_bytes(path), file_bytes(file.path(folder, sprintf("r%d.adf", k))))
  }
  # With poisson each set has its own count; replicate K alone is set K of
  # the full run.
  drawn <- do.call(sparsim_generate, c(options, poisson = TRUE, nsim = 5, jobs = 2))
  made <- do.call(run, as.list(c("generate", command_args(options), "--poisson",
                                 "--replicates", "5", "-o", file.path(folder, "p{n}.adf"))))
  expect_equal(made$status, 0)
  alone <- do.call(sparsim_generate, c(options, poisson = TRUE, replicate = 4))
  for (k in 1:5) {
    path <- tempfile(fileext = ".adf")
    sparsim_write_adf(drawn[[k]], path)
    expect_identical(file_bytes(path), file_bytes(file.path(folder, sprintf("p%d.adf", k))))
  }
  path <- tempfile(fileext = ".adf")
  sparsim_write_adf(alone, path)
  expect_identical(file_bytes(path), file_bytes(file.path(folder, "p4.adf")))
  skip_if_not_installed("spatstat.explore")
  expect_s3_class(sims, "solist")
  X <- sparsim_generate(rect = c(0, 0, 100, 100), points = 200, centred = TRUE,
                        model = "uniform", seed = 7)
  E <- spatstat.explore::envelope(X, spatstat.explore::Lest, nsim = 5, simulate = sims,
                                  verbose = FALSE)
  expect_s3_class(E, "envelope")
})

test_that("walks are the command line's, byte for byte", {
  need_program()
  site <- tempfile(fileext = ".adf")
  writeBin(run("generate", "--circle", "20", "--points", "150", "--clusters", "5",
               "--radius", "2", "--seed", "3")$out, site)
  for (options in list(list(), list(generator = "philox"), list(replicate = 4),
                       list(generator = "philox", replicate = 2))) {
    walked <- do.call(sparsim_walk, c(list(sparsim_read_adf(site), max_step = 0.75, steps = 12,
                                           seed = -8, passes = 3), options))
    folder <- tempfile()
    dir.create(folder)
    made <- do.call(run, as.list(c("walk", site, "--max-step", "0.75", "--steps", "12",
                                   "--passes", "3", "--seed", "-8", command_args(options),
                                   "-o", file.path(folder, "w{pass}.out"),
                                   "--manifest", file.path(folder, "m.csv"))))
    expect_equal(made$status, 0)
    manifest <- utils::read.csv(file.path(folder, "m.csv"))
    expect_equal(attr(walked, "seed"), manifest$seed[1])
    for (p in 1:3) {
      path <- tempfile(fileext = ".out")
      sparsim_write_out(walked[[p]], path)
      expect_identical(file_bytes(path), file_bytes(file.path(folder, sprintf("w%d.out", p))))
    }
  }
})

test_that("refusals are the command line's messages", {
  need_program()
  good <- list(circle = 20, points = 100, centred = TRUE)
  changes <- list(list(circle = -3), list(points = 20000), list(points = 2.5),
                  list(points = NULL, density = 100), list(model = "zebra"),
                  list(centred = NULL, clusters = 5), list(seed = 2^31), list(nsim = 0),
                  list(generator = "mt"), list(replicate = 0), list(nsim = 3, replicate = 4),
                  list(points = 9500, poisson = TRUE))
  for (change in changes) {
    options <- utils::modifyList(good, change)
    args <- command_args(options)
    args <- sub("^--nsim$", "--replicates", args)
    expected <- do.call(run, as.list(c("generate", args)))
    expect_equal(expected$status, 1)
    expect_error(do.call(sparsim_generate, options),
                 sub("^sparsim generate: ", "", expected$err[1]), fixed = TRUE)
  }
  expect_error(sparsim_walk(cbind(0, NaN), max_step = 1, steps = 1, seed = 1),
               "points: the Y of point 1 is nan; the walk needs finite numbers", fixed = TRUE)
  expect_error(sparsim_read_adf("/nonexistent/SITE.ADF"), "No such file or directory")
})

test_that("an interrupt stops a run that never ends, and leaves nothing behind", {
  endless <- list(rect = c(0, 0, 1e6, 1e6), points = 10000, clusters = 1, radius = 0.001,
                  seeds_as_points = FALSE, model = "uniform", seed = 5,
                  allow_shared_stream = TRUE)
  for (nsim in c(1, 4)) {
    calls <- 0
    interrupt_once_started <- function(done, total) {
      calls <<- calls + 1
      if (calls == 1) tools::pskill(Sys.getpid(), tools::SIGINT)
    }
    outcome <- withCallingHandlers(
      tryCatch(do.call(sparsim_generate, c(endless, nsim = nsim, jobs = 2,
                                           progress = interrupt_once_started)),
               interrupt = function(condition) "interrupted"),
      warning = function(w) invokeRestart("muffleWarning"))
    expect_identical(outcome, "interrupted")
    expect_equal(calls, 1)
  }
  expect_equal(nrow(as.matrix(sparsim_walk(cbind(1, 2), max_step = 1, steps = 3, seed = 1))), 1)
})

test_that("the README's recipe runs as written", {
  readme <- Sys.getenv("SPARSIM_README")
  if (!nzchar(readme)) skip("SPARSIM_README is not set")
  skip_if_not_installed("spatstat")
  lines <- readLines(readme)
  heading <- cumsum(startsWith(lines, "## "))
  section <- heading == heading[match("## From R", lines)]
  fence <- startsWith(lines, "```")
  inside <- (cumsum(fence & section) %% 2 == 1) & !fence & section
  recipe <- new.env()
  grDevices::pdf(NULL)
  on.exit(grDevices::dev.off())
  output <- capture.output(eval(parse(text = lines[inside]), envir = recipe))
  expect_s3_class(recipe$E, "envelope")
  test <- spatstat.explore::mad.test(recipe$X, spatstat.explore::Lest, nsim = 99,
                                     simulate = recipe$csr, verbose = FALSE)
  expect_equal(test$p.value, 0.01)
  expect_true(any(grepl("p-value = 0.01", output)))
})

test_that("the help pages' examples run", {
  for (topic in c("sparsim_generate", "sparsim_walk", "sparsim_read_adf", "sparsim_write_adf",
                  "sparsim_write_out")) {
    expect_no_error(utils::capture.output(
      utils::example(topic, package = "sparsim", character.only = TRUE, echo = FALSE)))
  }
})
