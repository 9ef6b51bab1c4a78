# Prints the pitch track of a sound file with Praat's default settings
# (autocorrelation, 75-600 Hz, 10 ms steps): one line per frame, the time
# of its centre and the F0 in Hz, 0 when unvoiced.
form Pitch track
  sentence wav
endform
Read from file: wav$
To Pitch: 0, 75, 600
n = Get number of frames
for i to n
  t = Get time from frame number: i
  f = Get value in frame: i, "Hertz"
  if f = undefined
    f = 0
  endif
  appendInfoLine: fixed$(t, 5), " ", fixed$(f, 3)
endfor
