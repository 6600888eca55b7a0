' Example automation client: opens card 0, configures axis X, runs a relative
' trapezoidal move and follows it until the axis stops.
Option Explicit

Const AXIS_X = 0

Dim motion, cards, result, lastPrint, position
Set motion = CreateObject("VORN305Q.Vorn305qCtrl.1")

cards = motion.GetCardCount()
WScript.Echo "Cards found: " & cards
If cards < 1 Then
    WScript.Echo "No motion card: nothing to do."
    WScript.Quit 1
End If

result = motion.InitCard(0)
If result <> 0 Then
    WScript.Echo "InitCard(0) refused the card (" & result & ")."
    WScript.Quit 2
End If

' Pulse and direction output, active high; quadrature encoder input; hard limits
' stop decelerating, active low.
motion.PulseOutMode AXIS_X, 0
motion.LevelMode AXIS_X, 0
motion.InputMode AXIS_X, 3
motion.SignalHardLmt AXIS_X, 0
motion.SetPosition AXIS_X, 0
motion.SetExPosition AXIS_X, 0

' 20000 pulses forward: start at 1000 pulses/s, run at 10000 pulses/s, 0.2 s ramps.
result = motion.StartTRMove(AXIS_X, 20000, 1000, 10000, 0.2)
If result <> 0 Then
    WScript.Echo "StartTRMove refused the move (" & result & ")."
    motion.CloseCard
    WScript.Quit 3
End If
WScript.Echo "Moving axis X by 20000 pulses..."

' The script host has no Sleep here, so poll and print about ten times a second.
lastPrint = Timer
Do While motion.RunState(AXIS_X) = 0
    If Abs(Timer - lastPrint) >= 0.1 Then
        lastPrint = Timer
        WScript.Echo "  logical " & motion.GetPosition(AXIS_X) & _
                     "  encoder " & motion.GetExPosition(AXIS_X)
    End If
Loop

position = motion.GetPosition(AXIS_X)
WScript.Echo "Stopped. Logical position " & position & _
             ", encoder position " & motion.GetExPosition(AXIS_X) & "."
motion.CloseCard
Set motion = Nothing
If position <> 20000 Then WScript.Quit 4
WScript.Quit 0
